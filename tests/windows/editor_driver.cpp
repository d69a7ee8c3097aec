// Drives the program editors of a running TRAVEX.exe for the Wine tests, as a user would: menu
// commands, typed keys, the Find/Replace and file dialogs, message boxes. Each command prints
// what it found and exits 0 when the expectation holds, 1 when it does not.
//
//   editor_driver code-page               the ANSI code page Windows runs with
//   editor_driver editors                 titles of the editor windows, active first
//   editor_driver wait-editors N MS       until N editors are open
//   editor_driver command ID              posts a menu command to the frame
//   editor_driver type TEXT               types TEXT into the active editor's text box
//   editor_driver type-title TEXT         types TEXT into its title box
//   editor_driver text                    prints the active editor's text (glyphs as \xHH)
//   editor_driver caret POS               puts the caret at POS
//   editor_driver wait-box TITLE MS       until a box with this title is open
//   editor_driver answer TITLE BUTTON MS  prints a box's text and presses yes|no|cancel|ok
//   editor_driver find TEXT CASE          Find dialog: Find Next (CASE 1 = match case)
//   editor_driver close-find              closes the Find dialog
//   editor_driver replace-all FIND NEW    Replace dialog: Replace All
//   editor_driver replace FIND NEW        Replace dialog: Replace, then closes the dialog
//   editor_driver selection               prints the selection start and end
//   editor_driver save-as NAME FILTER MS  Save as dialog: types NAME, picks filter FILTER
//   editor_driver save-dialog NAME FILTER MS   the same in a dialog already opening
//   editor_driver open PATH MS            Open File dialog: opens PATH
//   editor_driver menu-state              prints "document|no-document menu, save on|off"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver_support.h"

namespace {

using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;
using driver::window_text;

HWND mdi_client() {
    return FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
}

HWND active_editor() {
    HWND client = mdi_client();
    if (client == nullptr) {
        return nullptr;
    }
    HWND active = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
    char name[64] = {};
    GetClassNameA(active, name, sizeof name);
    return std::string(name) == "PCEdtWClass" ? active : nullptr;
}

HWND text_box() {
    return GetDlgItem(active_editor(), 82);
}

int count_editors(bool print) {
    int count = 0;
    for (HWND child = GetWindow(mdi_client(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (std::string(name) == "PCEdtWClass") {
            ++count;
            if (print) {
                std::printf("%s\n", window_text(child).c_str());
            }
        }
    }
    return count;
}

// Characters go to the box as the keyboard would deliver them, so the editor sees changes.
void type_into(HWND box, const std::string& text) {
    for (const char c : text) {
        SendMessageW(box, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
}

std::string box_text(HWND box) {
    const int length = static_cast<int>(SendMessageW(box, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(box, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    std::string shown;
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            shown.push_back(static_cast<char>(c));
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "\\x%04X", static_cast<unsigned>(c));
            shown += code;
        }
    }
    return shown;
}

int answer(const std::string& title, const std::string& button, int milliseconds) {
    HWND box = wait_for(milliseconds, [&] { return find_dialog(title); });
    if (box == nullptr) {
        return fail("no box titled " + title);
    }
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::printf("%s\n", text);
    const int id = button == "yes"      ? IDYES
                   : button == "no"     ? IDNO
                   : button == "cancel" ? IDCANCEL
                                        : IDOK;
    PostMessageA(box, WM_COMMAND, id, 0);
    return 0;
}

void click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

constexpr int kFindBox = 1152;
constexpr int kReplaceBox = 1153;
constexpr int kMatchCase = 1041;
constexpr int kReplaceButton = 1024;
constexpr int kReplaceAllButton = 1025;

HWND open_find_dialog(int command, const char* title) {
    PostMessageA(find_frame(), WM_COMMAND, command, 0);
    return wait_for(20000, [&] { return find_dialog(title); });
}

int find(const std::string& text, bool match_case) {
    HWND dialog = find_dialog("Find");
    if (dialog == nullptr) {
        dialog = open_find_dialog(20015, "Find");
    }
    if (dialog == nullptr) {
        return fail("no Find dialog");
    }
    SetDlgItemTextA(dialog, kFindBox, text.c_str());
    SendDlgItemMessageA(dialog, kMatchCase, BM_SETCHECK, match_case ? BST_CHECKED : BST_UNCHECKED,
                        0);
    click(dialog, IDOK);
    Sleep(300);
    return 0;
}

int replace(const std::string& find_text, const std::string& replacement, int button) {
    HWND dialog = open_find_dialog(20016, "Replace");
    if (dialog == nullptr) {
        return fail("no Replace dialog");
    }
    SetDlgItemTextA(dialog, kFindBox, find_text.c_str());
    SetDlgItemTextA(dialog, kReplaceBox, replacement.c_str());
    click(dialog, button);
    if (button == kReplaceAllButton) {
        // Replace All closes the dialog itself.
        const bool closed = wait_for(20000, [] { return find_dialog("Replace") == nullptr; });
        return closed ? 0 : fail("Replace dialog stays open after Replace All");
    }
    Sleep(300);
    click(dialog, IDCANCEL);
    wait_for(20000, [] { return find_dialog("Replace") == nullptr; });
    return 0;
}

// The file dialog titled TITLE, once it shows.
int file_dialog(const std::string& title, const std::string& name, int filter, int milliseconds) {
    HWND dialog = wait_for(milliseconds, [&] { return find_dialog(title); });
    if (dialog == nullptr) {
        return fail("no dialog titled " + title);
    }
    return driver::file_dialog(dialog, name, filter, milliseconds);
}

int menu_state() {
    const UINT query = RegisterWindowMessageA("TRAVEX.MenuState");
    const LRESULT state = SendMessageA(find_frame(), query, 0, 0);
    std::printf("%s menu, save %s\n", (state & 1) != 0 ? "document" : "no-document",
                (state & 2) != 0 ? "on" : "off");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    auto arg = [&](int at) { return std::string(argc > at ? argv[at] : ""); };
    auto number = [&](int at, int otherwise) {
        return argc > at ? std::atoi(argv[at]) : otherwise;
    };
    if (command == "code-page") {
        std::printf("%u\n", GetACP());
        return 0;
    }
    if (find_frame() == nullptr) {
        return fail("no frame window");
    }
    if (command == "editors") {
        count_editors(true);
        return 0;
    }
    if (command == "wait-editors") {
        const int wanted = number(2, 1);
        const bool reached =
            wait_for(number(3, 20000), [&] { return count_editors(false) == wanted; });
        return reached ? 0 : fail(std::to_string(count_editors(false)) + " editors open");
    }
    if (command == "command") {
        PostMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(number(2, 0)), 0);
        Sleep(300);
        return 0;
    }
    if (command == "type" || command == "type-title") {
        HWND box = GetDlgItem(active_editor(), command == "type" ? 82 : 81);
        if (box == nullptr) {
            return fail("no active editor");
        }
        type_into(box, arg(2));
        return 0;
    }
    if (command == "text") {
        if (text_box() == nullptr) {
            return fail("no active editor");
        }
        std::printf("%s\n", box_text(text_box()).c_str());
        return 0;
    }
    if (command == "caret") {
        SendMessageW(text_box(), EM_SETSEL, static_cast<WPARAM>(number(2, 0)), number(2, 0));
        return 0;
    }
    if (command == "selection") {
        const auto range = static_cast<DWORD>(SendMessageW(text_box(), EM_GETSEL, 0, 0));
        std::printf("%u %u\n", LOWORD(range), HIWORD(range));
        return 0;
    }
    if (command == "wait-box") {
        const bool shown =
            wait_for(number(3, 20000), [&] { return find_dialog(arg(2)) != nullptr; });
        return shown ? 0 : fail("no box titled " + arg(2));
    }
    if (command == "answer") {
        return answer(arg(2), arg(3), number(4, 20000));
    }
    if (command == "find") {
        return find(arg(2), number(3, 0) != 0);
    }
    if (command == "close-find") {
        click(find_dialog("Find"), IDCANCEL);
        const bool closed = wait_for(20000, [] { return find_dialog("Find") == nullptr; });
        return closed ? 0 : fail("Find dialog stays open");
    }
    if (command == "replace-all") {
        return replace(arg(2), arg(3), kReplaceAllButton);
    }
    if (command == "replace") {
        return replace(arg(2), arg(3), kReplaceButton);
    }
    if (command == "save-as") {
        PostMessageA(find_frame(), WM_COMMAND, 20005, 0);
        return file_dialog("Save as", arg(2), number(3, 0), number(4, 20000));
    }
    if (command == "save-dialog") {  // a Save as dialog that something else opened
        return file_dialog("Save as", arg(2), number(3, 0), number(4, 20000));
    }
    if (command == "open") {
        PostMessageA(find_frame(), WM_COMMAND, 20002, 0);
        return file_dialog("Open File", arg(2), 0, number(3, 20000));
    }
    if (command == "menu-state") {
        return menu_state();
    }
    std::fprintf(stderr, "usage: editor_driver COMMAND ...\n");
    return 2;
}
