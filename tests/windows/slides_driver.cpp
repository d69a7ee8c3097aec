// Drives the slide show windows and the Group File and Ungroup File dialogs of a running
// TRAVEX.exe for the Wine tests, as a user would. Each command prints what it found and exits 0
// when the expectation holds, 1 when it does not.
//
//   slides_driver slides                   titles of the slide show windows
//   slides_driver wait-slides N MS         until N slide show windows are open
//   slides_driver pages                    the active show's pages: "No.N x y" in the page area
//   slides_driver scroll-bar-width         the width of a vertical scroll bar
//   slides_driver resize W H               gives the active show a client area of W × H
//   slides_driver scroll CODE [POS]        a scroll bar request (up, down, top, bottom, thumb);
//                                          prints the row at the top
//   slides_driver type-title TEXT          replaces the title field's text by typing TEXT
//   slides_driver title                    prints the title field's text
//   slides_driver copy-title               Edit > Copy with the title field focused; prints
//                                          the clipboard's text
//   slides_driver open PATH MS             File > Open of PATH
//   slides_driver save-as NAME FILTER MS   File > Save As: types NAME, picks filter FILTER
//   slides_driver group-open MS            Tools > Group Files; waits for the dialog
//   slides_driver group-select NAME        types NAME and presses Select
//   slides_driver group-select-all         presses Select All
//   slides_driver group-remove N           selects entry N of the chosen files and presses Remove
//   slides_driver group-double-click NAME  double-clicks NAME in the file list
//   slides_driver group-remove-all         presses Remove All
//   slides_driver group-list               prints the chosen files and whether Remove is enabled
//   slides_driver group-ok                 presses OK
//   slides_driver group-save NAME MS       the group file's save dialog: NAME, then Save
//   slides_driver ungroup PATH MS          Tools > Ungroup Files; types PATH and presses OK
//   slides_driver ungroup-folder PATH MS   the folder dialog: moves to PATH and presses OK
//   slides_driver ungroup-cancel MS        presses Cancel in the group file dialog
//   slides_driver exists ANSWER MS         the file-exists question: prints its file name and
//                                          answers all|overwrite|skip|cancel
//   slides_driver no-question              no file-exists question is open
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "driver_support.h"
#include "resources/resource_ids.h"

namespace {

using driver::class_of;
using driver::click;
using driver::fail;
using driver::file_dialog;
using driver::find_dialog;
using driver::find_frame;
using driver::mdi_client;
using driver::wait_for;
using driver::window_text;

constexpr int kTitleBox = 91;
constexpr int kPageArea = 92;
constexpr int kScrollBar = 93;
constexpr int kFileNameBox = 1152;
constexpr int kSelectedList = IDC_SELECTED_FILES;
constexpr int kFileList = 1120;

std::vector<HWND> slide_windows() {
    std::vector<HWND> found;
    for (HWND child = GetWindow(mdi_client(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_of(child) == "PCSldWClass") {
            found.push_back(child);
        }
    }
    return found;
}

HWND active_show() {
    return driver::active_child("PCSldWClass");
}

// "No.N x y" of every page in the page area, by number.
int pages(HWND show) {
    HWND area = GetDlgItem(show, kPageArea);
    std::map<int, POINT> found;
    for (HWND page = GetWindow(area, GW_CHILD); page != nullptr;
         page = GetWindow(page, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(page, &r);
        POINT at{r.left, r.top};
        ScreenToClient(area, &at);
        found[GetDlgCtrlID(page) - 1000] = at;
    }
    for (const auto& [number, at] : found) {
        std::printf("No.%d %ld %ld\n", number, at.x, at.y);
    }
    return 0;
}

int resize(HWND show, int width, int height) {
    RECT outer;
    RECT client;
    GetWindowRect(show, &outer);
    GetClientRect(show, &client);
    POINT origin{outer.left, outer.top};
    ScreenToClient(mdi_client(), &origin);
    const int extra_w = (outer.right - outer.left) - client.right;
    const int extra_h = (outer.bottom - outer.top) - client.bottom;
    MoveWindow(show, origin.x, origin.y, width + extra_w, height + extra_h, TRUE);
    Sleep(300);
    GetClientRect(show, &client);
    std::printf("%ld %ld\n", client.right, client.bottom);
    return 0;
}

int scroll(HWND show, const std::string& code, int position) {
    const int request = code == "up"       ? SB_LINEUP
                        : code == "down"   ? SB_LINEDOWN
                        : code == "top"    ? SB_TOP
                        : code == "bottom" ? SB_BOTTOM
                                           : SB_THUMBPOSITION;
    HWND bar = GetDlgItem(show, kScrollBar);
    SendMessageA(show, WM_VSCROLL, MAKEWPARAM(request, position), reinterpret_cast<LPARAM>(bar));
    std::printf("%d\n", GetScrollPos(bar, SB_CTL));
    return 0;
}

// The calculator font keeps the calculator's bytes at U+F000 + byte.
std::string calculator_text(const wchar_t* text) {
    std::string shown;
    for (const wchar_t* c = text; c != nullptr && *c != 0; ++c) {
        shown.push_back(static_cast<char>((*c >= 0xF000 && *c <= 0xF0FF) ? *c - 0xF000 : *c));
    }
    return shown;
}

std::string wide_text(HWND box) {
    wchar_t text[128] = {};
    SendMessageW(box, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
    return calculator_text(text);
}

int copy_title(HWND show) {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    HWND title = GetDlgItem(show, kTitleBox);
    SendMessageW(title, EM_SETSEL, 0, -1);
    PostMessageA(find_frame(), WM_COMMAND, 20013, 0);
    Sleep(500);
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = calculator_text(static_cast<const wchar_t*>(GlobalLock(data)));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    std::printf("%s\n", text.c_str());
    return 0;
}

// The Group File dialog and its save dialog share their title; only the first holds the
// chosen-files list.
HWND titled_dialog(const std::string& title, bool with_selected_list) {
    return driver::find_dialog_where(title, [with_selected_list](HWND d) {
        return IsWindowVisible(d) &&
               (GetDlgItem(d, kSelectedList) != nullptr) == with_selected_list;
    });
}

HWND group_dialog(int milliseconds = 10000) {
    return wait_for(milliseconds, [] { return titled_dialog("Group File", true); });
}

int group_list() {
    HWND dialog = group_dialog();
    if (dialog == nullptr) {
        return fail("no Group File dialog");
    }
    HWND list = GetDlgItem(dialog, kSelectedList);
    const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // The dialog's controls are Unicode windows; their text is read as such.
        wchar_t text[300] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        std::string shown;
        for (const wchar_t* c = text; *c != 0; ++c) {
            shown.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
        }
        std::printf("%s\n", shown.c_str());
    }
    std::printf("remove %s\n", IsWindowEnabled(GetDlgItem(dialog, IDC_REMOVE)) ? "on" : "off");
    return 0;
}

// The ungroup dialogs share their title; the folder dialog has its name box hidden.
HWND ungroup_dialog(bool folders, int milliseconds) {
    return wait_for(milliseconds, [folders] {
        HWND dialog = find_dialog("Ungroup File");
        if (dialog == nullptr || !IsWindowVisible(dialog)) {
            return static_cast<HWND>(nullptr);
        }
        const bool name_shown = IsWindowVisible(GetDlgItem(dialog, kFileNameBox)) != FALSE;
        return name_shown != folders ? dialog : static_cast<HWND>(nullptr);
    });
}

int ungroup_folder(const std::string& folder, int milliseconds) {
    HWND dialog = ungroup_dialog(true, milliseconds);
    if (dialog == nullptr) {
        return fail("no folder dialog");
    }
    Sleep(300);
    // Moving to the folder, then OK in it.
    SetDlgItemTextA(dialog, kFileNameBox, folder.c_str());
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    Sleep(300);
    char shown[MAX_PATH] = {};
    GetDlgItemTextA(dialog, 1088, shown, sizeof shown);
    std::printf("%s\n", shown);
    SetDlgItemTextA(dialog, kFileNameBox, "");
    click(dialog, IDOK);
    const bool closed = wait_for(milliseconds, [&] { return !IsWindow(dialog); });
    return closed ? 0 : fail("folder dialog stays open");
}

HWND exists_question() {
    HWND dialog = find_dialog("TRAVEX");
    return dialog != nullptr && GetDlgItem(dialog, 1001) != nullptr ? dialog : nullptr;
}

int answer_exists(const std::string& answer, int milliseconds) {
    HWND dialog = wait_for(milliseconds, exists_question);
    if (dialog == nullptr) {
        return fail("no file-exists question");
    }
    Sleep(200);
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, 1000, text, sizeof text);
    std::printf("%s\n", text);
    const int id = answer == "all" ? 1 : answer == "overwrite" ? 3 : answer == "skip" ? 4 : 2;
    return driver::press_until_gone(dialog, id, milliseconds) ? 0 : fail("question stays open");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    auto arg = [&](int at) { return std::string(argc > at ? argv[at] : ""); };
    auto number = [&](int at, int otherwise) {
        return argc > at ? std::atoi(argv[at]) : otherwise;
    };
    if (find_frame() == nullptr) {
        return fail("no frame window");
    }
    if (command == "slides") {
        for (HWND show : slide_windows()) {
            std::printf("%s\n", window_text(show).c_str());
        }
        return 0;
    }
    if (command == "wait-slides") {
        const auto wanted = static_cast<std::size_t>(number(2, 1));
        const bool reached =
            wait_for(number(3, 20000), [&] { return slide_windows().size() == wanted; });
        return reached ? 0 : fail(std::to_string(slide_windows().size()) + " slide shows open");
    }
    HWND show = active_show();
    const bool of_show = command == "pages" || command == "resize" || command == "scroll" ||
                         command == "type-title" || command == "title" || command == "copy-title";
    if (of_show && show == nullptr) {
        return fail("no active slide show");
    }
    HWND title = GetDlgItem(show, kTitleBox);
    if (command == "pages") {
        return pages(show);
    }
    if (command == "scroll-bar-width") {
        std::printf("%d\n", GetSystemMetrics(SM_CXVSCROLL));
        return 0;
    }
    if (command == "resize") {
        return resize(show, number(2, 600), number(3, 400));
    }
    if (command == "scroll") {
        return scroll(show, arg(2), number(3, 0));
    }
    if (command == "type-title") {
        SendMessageW(title, EM_SETSEL, 0, -1);
        SendMessageW(title, WM_CHAR, VK_BACK, 1);
        for (const char c : arg(2)) {
            SendMessageW(title, WM_CHAR, static_cast<unsigned char>(c), 1);
        }
        return 0;
    }
    if (command == "title") {
        std::printf("%s\n", wide_text(title).c_str());
        return 0;
    }
    if (command == "copy-title") {
        return copy_title(show);
    }
    if (command == "open") {
        return driver::menu_file_dialog(20002, "Open File", arg(2), 0, number(3, 20000));
    }
    if (command == "save-as") {
        return driver::menu_file_dialog(20005, "Save as", arg(2), number(3, 0), number(4, 20000));
    }
    if (command == "group-open") {
        PostMessageA(find_frame(), WM_COMMAND, 20042, 0);
        return group_dialog(number(2, 20000)) != nullptr ? 0 : fail("no Group File dialog");
    }
    if (command == "group-select" || command == "group-select-all" || command == "group-ok" ||
        command == "group-remove" || command == "group-remove-all" ||
        command == "group-double-click") {
        HWND dialog = group_dialog();
        if (dialog == nullptr) {
            return fail("no Group File dialog");
        }
        auto press = [dialog](int id) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        };
        if (command == "group-select") {
            SetDlgItemTextA(dialog, kFileNameBox, arg(2).c_str());
            press(IDC_SELECT);
        } else if (command == "group-select-all") {
            press(IDC_SELECT_ALL);
        } else if (command == "group-double-click") {
            // A click on the file in the file list, then a second one.
            HWND files = GetDlgItem(dialog, kFileList);
            const std::wstring name(arg(2).begin(), arg(2).end());
            SendMessageW(files, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(name.c_str()));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileList, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(files));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileList, LBN_DBLCLK),
                         reinterpret_cast<LPARAM>(files));
        } else if (command == "group-remove-all") {
            press(IDC_REMOVE_ALL);
        } else if (command == "group-remove") {
            SendDlgItemMessageA(dialog, kSelectedList, LB_SETCURSEL,
                                static_cast<WPARAM>(number(2, 0)), 0);
            press(IDC_REMOVE);
        } else {
            click(dialog, IDOK);
            Sleep(500);
        }
        return 0;
    }
    if (command == "group-list") {
        return group_list();
    }
    if (command == "group-save") {
        HWND dialog = wait_for(number(3, 20000), [] { return titled_dialog("Group File", false); });
        return file_dialog(dialog, arg(2), 0, number(3, 20000));
    }
    if (command == "ungroup") {
        PostMessageA(find_frame(), WM_COMMAND, 20043, 0);
        HWND dialog = ungroup_dialog(false, number(3, 20000));
        if (dialog == nullptr) {
            return fail("no Ungroup File dialog");
        }
        Sleep(300);
        SetDlgItemTextA(dialog, kFileNameBox, arg(2).c_str());
        click(dialog, IDOK);
        return 0;
    }
    if (command == "ungroup-folder") {
        return ungroup_folder(arg(2), number(3, 20000));
    }
    if (command == "ungroup-cancel") {
        HWND dialog = ungroup_dialog(false, number(2, 20000));
        if (dialog == nullptr) {
            return fail("no Ungroup File dialog");
        }
        return driver::press_until_gone(dialog, IDCANCEL, number(2, 20000))
                   ? 0
                   : fail("Ungroup File dialog stays open");
    }
    if (command == "exists") {
        return answer_exists(arg(2), number(3, 20000));
    }
    if (command == "no-question") {
        return exists_question() == nullptr ? 0 : fail("a file-exists question is open");
    }
    std::fprintf(stderr, "usage: slides_driver COMMAND ...\n");
    return 2;
}
