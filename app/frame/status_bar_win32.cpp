// The status bar along the bottom of the frame: "Ready" or the help of a highlighted item.
#include <windows.h>

#include "frame/frame_win32.h"

namespace travex::win32 {
namespace {

constexpr COLORREF kLightGrey = RGB(192, 192, 192);

void draw_raised_edge(HDC dc, const RECT& r) {
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
    HGDIOBJ old = SelectObject(dc, white);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, grey);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left, r.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(white);
    DeleteObject(grey);
}

// The bar keeps the line it shows as its window text, so that it can be read back.
void draw_text(HWND bar, const std::wstring& text) {
    SetWindowTextW(bar, text.c_str());
    HDC dc = GetDC(bar);
    RECT client;
    GetClientRect(bar, &client);
    SetBkColor(dc, kLightGrey);
    ExtTextOutW(dc, 5, 2, ETO_OPAQUE, &client, text.c_str(), static_cast<UINT>(text.size()),
                nullptr);
    draw_raised_edge(dc, client);
    ReleaseDC(bar, dc);
}

}  // namespace

int status_bar_height(HWND frame) {
    HDC dc = GetDC(frame);
    SIZE letter = {};
    GetTextExtentPoint32A(dc, "A", 1, &letter);
    ReleaseDC(frame, dc);
    return letter.cy + 4;
}

void show_status_text(const std::wstring& text) {
    if (app_state().status_bar != nullptr) {
        draw_text(app_state().status_bar, text);
    }
}

LRESULT CALLBACK status_bar_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_PAINT:
            ValidateRect(window, nullptr);
            draw_text(window, L"Ready");
            return 0;
        case WM_SIZE:
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        default:
            return DefWindowProcA(window, message, w, l);
    }
}

}  // namespace travex::win32
