// Drives the slide show windows and the Group File and Ungroup File dialogs of a running
// TRAVEX.exe for the Wine tests, as a user would. Each command prints what it found and exits 0
// when the expectation holds, 1 when it does not.
//
//   slides_driver wait-slides N MS         until N slide show windows are open
//   slides_driver pages                    the active show's pages: "No.N x y" in the page area
//   slides_driver resize W H               gives the active show a page area of W × H (the
//                                          scroll bar beside it)
//   slides_driver scroll up|down|bottom    a scroll bar request; prints the row at the top
//   slides_driver type-title TEXT          replaces the title field's text by typing TEXT
//   slides_driver group OUT NAME...        Tools > Group Files: selects each NAME, OK, saves
//                                          as OUT
//   slides_driver ungroup PATH FOLDER MS   Tools > Ungroup Files of PATH into FOLDER
//   slides_driver exists ANSWER MS         the file-exists question: prints its file name and
//                                          answers all|overwrite|skip|cancel
//   slides_driver no-question              no file-exists question is open
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "driver_support.h"
#include "resources/resource_ids.h"

namespace {

using driver::click;
using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;

constexpr int kTitleBox = 91;
constexpr int kPageArea = 92;
constexpr int kScrollBar = 93;
constexpr int kFileNameBox = 1152;

int slide_windows() {
    int count = 0;
    for (HWND child = GetWindow(driver::mdi_client(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        count += driver::class_of(child) == "PCSldWClass" ? 1 : 0;
    }
    return count;
}

// "No.N x y" of every page in the page area, by number.
void print_pages(HWND show) {
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
}

void resize(HWND show, int width, int height) {
    RECT outer;
    RECT client;
    GetWindowRect(show, &outer);
    GetClientRect(show, &client);
    POINT origin{outer.left, outer.top};
    ScreenToClient(driver::mdi_client(), &origin);
    MoveWindow(show, origin.x, origin.y,
               width + GetSystemMetrics(SM_CXVSCROLL) + outer.right - outer.left - client.right,
               height + outer.bottom - outer.top - client.bottom, TRUE);
    Sleep(500);
}

// The Group File dialog and its save dialog share their title; only the first holds the
// chosen-files list.
HWND group_dialog(bool with_selected_list) {
    return wait_for(20000, [with_selected_list] {
        return driver::find_dialog_where("Group File", [with_selected_list](HWND d) {
            return IsWindowVisible(d) &&
                   (GetDlgItem(d, IDC_SELECTED_FILES) != nullptr) == with_selected_list;
        });
    });
}

// The ungroup dialogs share their title; the folder dialog has its name box hidden.
HWND ungroup_dialog(bool folders, int milliseconds) {
    return wait_for(milliseconds, [folders] {
        HWND dialog = find_dialog("Ungroup File");
        const bool name_shown = IsWindowVisible(GetDlgItem(dialog, kFileNameBox)) != FALSE;
        return IsWindowVisible(dialog) && name_shown != folders ? dialog : nullptr;
    });
}

// Types a name into a dialog's name box and presses OK.
void enter(HWND dialog, const std::string& name) {
    Sleep(300);
    SetDlgItemTextA(dialog, kFileNameBox, name.c_str());
    click(dialog, IDOK);
}

HWND exists_question() {
    HWND dialog = find_dialog("TRAVEX");
    return dialog != nullptr && GetDlgItem(dialog, 1001) != nullptr ? dialog : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    auto arg = [&](int at) { return std::string(argc > at ? argv[at] : ""); };
    auto number = [&](int at, int otherwise) {
        return argc > at ? std::atoi(argv[at]) : otherwise;
    };
    HWND show = driver::active_child("PCSldWClass");
    if (command == "wait-slides") {
        const bool reached =
            wait_for(number(3, 20000), [&] { return slide_windows() == number(2, 1); });
        return reached ? 0 : fail(std::to_string(slide_windows()) + " slide shows open");
    }
    if ((command == "pages" || command == "resize" || command == "scroll" ||
         command == "type-title") &&
        show == nullptr) {
        return fail("no active slide show");
    }
    if (command == "pages") {
        print_pages(show);
        return 0;
    }
    if (command == "resize") {
        resize(show, number(2, 600), number(3, 400));
        return 0;
    }
    if (command == "scroll") {
        const int request = arg(2) == "up" ? SB_LINEUP : arg(2) == "down" ? SB_LINEDOWN : SB_BOTTOM;
        HWND bar = GetDlgItem(show, kScrollBar);
        SendMessageA(show, WM_VSCROLL, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(bar));
        std::printf("%d\n", GetScrollPos(bar, SB_CTL));
        return 0;
    }
    if (command == "type-title") {
        HWND title = GetDlgItem(show, kTitleBox);
        SendMessageW(title, EM_SETSEL, 0, -1);
        SendMessageW(title, WM_CHAR, VK_BACK, 1);
        for (const char c : arg(2)) {
            SendMessageW(title, WM_CHAR, static_cast<unsigned char>(c), 1);
        }
        return 0;
    }
    if (command == "group") {
        PostMessageA(find_frame(), WM_COMMAND, 20042, 0);
        HWND dialog = group_dialog(true);
        for (int at = 3; at < argc && dialog != nullptr; ++at) {
            SetDlgItemTextA(dialog, kFileNameBox, argv[at]);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECT, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SELECT)));
        }
        click(dialog, IDOK);
        return driver::file_dialog(group_dialog(false), arg(2), 0, 20000);
    }
    if (command == "ungroup") {
        PostMessageA(find_frame(), WM_COMMAND, 20043, 0);
        HWND files = ungroup_dialog(false, number(4, 20000));
        HWND folders =
            files != nullptr ? (enter(files, arg(2)), ungroup_dialog(true, 20000)) : nullptr;
        if (folders == nullptr) {
            return fail("no Ungroup File dialogs");
        }
        // Moving to the folder (answered before the name box is cleared), then OK in it.
        Sleep(300);
        SetDlgItemTextA(folders, kFileNameBox, arg(3).c_str());
        SendMessageA(folders, WM_COMMAND, IDOK, 0);
        enter(folders, "");
        return wait_for(number(4, 20000), [&] { return !IsWindow(folders); })
                   ? 0
                   : fail("folder dialog stays open");
    }
    if (command == "exists") {
        HWND dialog = wait_for(number(3, 20000), exists_question);
        Sleep(200);
        char text[MAX_PATH] = {};
        GetDlgItemTextA(dialog, 1000, text, sizeof text);
        std::printf("%s\n", text);
        const int id = arg(2) == "all" ? 1 : arg(2) == "overwrite" ? 3 : arg(2) == "skip" ? 4 : 2;
        return dialog != nullptr && driver::press_until_gone(dialog, id, 20000)
                   ? 0
                   : fail("no file-exists question, or it stays open");
    }
    if (command == "no-question") {
        return exists_question() == nullptr ? 0 : fail("a file-exists question is open");
    }
    std::fprintf(stderr, "usage: slides_driver COMMAND ...\n");
    return 2;
}
