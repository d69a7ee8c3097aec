#pragma once
// What the Wine test drivers share: finding the application's windows, waiting for them, and
// answering its message boxes as a user would.
#include <windows.h>

#include <cstdio>
#include <string>

namespace driver {

inline HWND find_frame() {
    return FindWindowA("PCMainWClass", nullptr);
}

inline HWND find_dialog(const std::string& title) {
    return FindWindowA("#32770", title.c_str());
}

template <typename Found>
auto wait_for(int milliseconds, Found found) {
    for (int waited = 0;; waited += 50) {
        if (auto result = found(); result || waited >= milliseconds) {
            return result;
        }
        Sleep(50);
    }
}

inline int fail(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    return 1;
}

inline std::string window_text(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The text of a message box. A box that has only just appeared may not have its text yet, so
// the text is read again for a while.
inline std::string message_text(HWND box) {
    std::string text;
    wait_for(5000, [&] {
        char buffer[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        text = buffer;
        return !text.empty();
    });
    return text;
}

// Presses a button of a dialog until the dialog has gone: under Wine a press that arrives while
// a box is still being set up can be lost.
inline bool press_until_gone(HWND dialog, int id, int milliseconds) {
    for (int waited = 0; IsWindow(dialog); waited += 500) {
        if (waited >= milliseconds) {
            return false;
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        wait_for(500, [&] { return !IsWindow(dialog); });
    }
    return true;
}

}  // namespace driver
