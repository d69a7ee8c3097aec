// The toolbar strip along the top of the frame. Its buttons arrive with the document
// commands; the strip itself is drawn here.
#include <windows.h>

#include "frame/frame_win32.h"

namespace travex::win32 {

LRESULT CALLBACK toolbar_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            HPEN grey = CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
            HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
            HGDIOBJ old = SelectObject(dc, grey);
            MoveToEx(dc, 0, 0, nullptr);
            LineTo(dc, client.right, 0);
            SelectObject(dc, white);
            MoveToEx(dc, 0, 1, nullptr);
            LineTo(dc, client.right, 1);
            SelectObject(dc, old);
            DeleteObject(grey);
            DeleteObject(white);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_SIZE:
            if (app_state().settings.toolbar != 0) {
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        default:
            return DefWindowProcA(window, message, w, l);
    }
}

}  // namespace travex::win32
