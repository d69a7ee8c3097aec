#include "window/app_state_win32.h"

namespace travex::win32 {

AppState& app_state() {
    static AppState state;
    return state;
}

void centre_on_screen(HWND window) {
    RECT area;
    GetWindowRect(window, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, FALSE);
}

}  // namespace travex::win32
