#pragma once
// What the Wine test drivers share: finding the application's windows, waiting for them, and
// answering its dialogs and message boxes as a user would.
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

// A dialog with this title that passes the test (dialogs that share a title differ in controls).
template <typename Test>
HWND find_dialog_where(const std::string& title, Test test) {
    for (HWND dialog = FindWindowExA(nullptr, nullptr, "#32770", title.c_str()); dialog != nullptr;
         dialog = FindWindowExA(nullptr, dialog, "#32770", title.c_str())) {
        if (test(dialog)) {
            return dialog;
        }
    }
    return nullptr;
}

inline std::string class_of(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

inline HWND mdi_client() {
    return FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
}

inline HWND mdi_child(const char* window_class) {
    return FindWindowExA(mdi_client(), nullptr, window_class, nullptr);
}

// The active document window when it is of this class.
inline HWND active_child(const char* window_class) {
    HWND active = reinterpret_cast<HWND>(SendMessageA(mdi_client(), WM_MDIGETACTIVE, 0, 0));
    return class_of(active) == window_class ? active : nullptr;
}

inline void click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
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

// The text of a message box, read again for a while: a new box may not have its text yet.
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

// Presses a button until the dialog has gone: under Wine a press that arrives while a box is
// still being set up can be lost.
inline bool press_until_gone(HWND dialog, int id, int milliseconds) {
    for (int waited = 0; IsWindow(dialog); waited += 500) {
        if (waited >= milliseconds) {
            return false;
        }
        click(dialog, id);
        wait_for(500, [&] { return !IsWindow(dialog); });
    }
    return true;
}

// A file dialog: picks type FILTER (1-based; 0 keeps it), types NAME and presses OK. The name
// box is a combo box (explorer style) or an edit box; the type choice is combo box 1136.
inline int file_dialog(HWND dialog, const std::string& name, int filter, int milliseconds) {
    if (dialog == nullptr) {
        return fail("no file dialog");
    }
    Sleep(300);
    if (filter > 0) {
        HWND types = GetDlgItem(dialog, 1136);
        SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(filter - 1), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(types));
    }
    HWND name_box = GetDlgItem(dialog, 1148);
    SetWindowTextA(name_box != nullptr ? name_box : GetDlgItem(dialog, 1152), name.c_str());
    click(dialog, IDOK);
    return wait_for(milliseconds, [&] { return !IsWindow(dialog); })
               ? 0
               : fail("file dialog stays open");
}

// Posts a menu command to the frame and runs the file dialog it opens; done once no dialog of
// this title is left (the application may answer with another).
inline int menu_file_dialog(int command, const std::string& title, const std::string& name,
                            int filter, int milliseconds) {
    PostMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    if (file_dialog(wait_for(milliseconds, [&] { return find_dialog(title); }), name, filter,
                    milliseconds) != 0) {
        return 1;
    }
    return wait_for(milliseconds, [&] { return find_dialog(title) == nullptr; })
               ? 0
               : fail(title + " dialog stays open");
}

}  // namespace driver
