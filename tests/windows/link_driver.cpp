// Drives the link commands of a running TRAVEX.exe for the Wine tests, as a user would: the
// Link menu, the Send Files and Receive Files dialogs, the progress window, message boxes and
// questions, the screen image windows, the Communication Port and Auto Setting dialogs. Each
// command prints what it found and exits 0 when the expectation holds, 1 when it does not.
//
//   link_driver command ID                 posts a menu command to the frame
//   link_driver frame-enabled MS           until the frame is enabled again
//   link_driver wait-dialog TITLE MS       until a dialog with this title is open
//   link_driver gone TITLE MS              until no dialog with this title is open
//   link_driver send-select NAME...        Send Files: selects each file of the folder shown
//   link_driver selection TITLE            prints the selection list of a transfer dialog
//   link_driver click TITLE ID             presses a button of a dialog
//   link_driver items                      Receive Files: prints the calculator's items
//   link_driver category N                 Receive Files: chooses category N (0 = all)
//   link_driver receive-select NAME...     Receive Files: selects each item by its line
//   link_driver answer TITLE BUTTON MS     prints a box's text and presses ok|cancel|yes|no
//   link_driver question ID BUTTON MS      30006/30007: prints the text, presses BUTTON's id
//   link_driver progress MS                prints the progress window's title and text
//   link_driver cancel-progress MS         presses Cancel in the progress window
//   link_driver screens                    prints the titles of the screen image windows
//   link_driver wait-screens N MS          until N screen image windows are open
//   link_driver zoom N                     the active screen image shows zoom entry N
//   link_driver close-active               asks the active document window to close
//   link_driver copy                       Edit > Copy; prints the clipboard's bitmap size
//   link_driver save-as PATH MS            File > Save As of the active window to PATH
//   link_driver ports                      Communication Port: prints the port list
//   link_driver step MS                    Auto Setting: prints the progress bar's step
//   link_driver time-send NAME CLI FOLDER  the link time of sending NAME from the application
//                                          and from travex-cli.exe (at the application's pacing)
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;
using driver::window_text;

constexpr int kFileList = 1120;
constexpr int kNameEdit = 1152;
constexpr int kTypeChoice = 1136;
constexpr int kSelectionList = 31005;
constexpr int kItemList = 31007;
constexpr int kPortCombo = 1013;
constexpr int kProgressBar = 1017;
constexpr int kProgressCancel = 22001;
constexpr int kProgressTextId = 22002;

void click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A line of a list or combo box of the application. The text is asked for in UTF-16, which
// Wine passes between processes reliably, and given back as the ASCII it holds.
std::string list_line(HWND list, int index, bool combo = false) {
    const LRESULT length =
        SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 16, L'\0');
    const LRESULT got =
        SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.data()));
    if (got < 0) {
        return {};
    }
    std::string narrow;
    for (std::size_t i = 0; i < static_cast<std::size_t>(got) && i < text.size(); ++i) {
        narrow.push_back(static_cast<char>(text[i] < 0x80 ? text[i] : '?'));
    }
    return narrow;
}

int print_list(HWND list, bool combo = false) {
    const LRESULT count = SendMessageA(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        std::printf("%s\n", list_line(list, i, combo).c_str());
    }
    return 0;
}

HWND wait_dialog(const std::string& title, int milliseconds) {
    return wait_for(milliseconds, [&] { return find_dialog(title); });
}

// Selects the line of a list box that reads text (without regard to case).
bool select_line(HWND list, const std::string& text) {
    const LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(text.c_str()));
    if (at == LB_ERR) {
        return false;
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    return true;
}

int send_select(const std::vector<std::string>& names) {
    HWND dialog = wait_dialog("Send Files", 20000);
    if (dialog == nullptr) {
        return fail("no Send Files dialog");
    }
    for (const std::string& name : names) {
        SetDlgItemTextA(dialog, kNameEdit, name.c_str());
        if (!select_line(GetDlgItem(dialog, kFileList), name)) {
            return fail("no file " + name + " in the dialog's folder");
        }
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1)));
    }
    return print_list(GetDlgItem(dialog, kSelectionList));
}

int receive_select(const std::vector<std::string>& names) {
    HWND dialog = wait_dialog("Receive Files", 20000);
    if (dialog == nullptr) {
        return fail("no Receive Files dialog");
    }
    for (const std::string& name : names) {
        if (!select_line(GetDlgItem(dialog, kItemList), name)) {
            return fail("no item " + name + " in the dialog");
        }
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(31001, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, 31001)));
    }
    return print_list(GetDlgItem(dialog, kSelectionList));
}

int answer(const std::string& title, const std::string& button, int milliseconds) {
    HWND box = wait_dialog(title, milliseconds);
    if (box == nullptr) {
        return fail("no box titled " + title);
    }
    std::string text = driver::message_text(box);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = '|';
        }
    }
    std::printf("%s\n", text.c_str());
    const int id = button == "yes"      ? IDYES
                   : button == "no"     ? IDNO
                   : button == "cancel" ? IDCANCEL
                                        : IDOK;
    return driver::press_until_gone(box, id, 10000) ? 0 : fail("box stays open");
}

// The question dialogs are titled "TRAVEX"; their text is control 1000.
int question(int button, int milliseconds) {
    HWND box = wait_dialog("TRAVEX", milliseconds);
    if (box == nullptr) {
        return fail("no question");
    }
    Sleep(200);
    char text[1024] = {};
    GetDlgItemTextA(box, 1000, text, sizeof text);
    std::string shown = text;
    for (char& c : shown) {
        if (c == '\r' || c == '\n') {
            c = '|';
        }
    }
    std::printf("%s\n", shown.c_str());
    return driver::press_until_gone(box, button, 10000) ? 0 : fail("question stays open");
}

HWND progress_window(int milliseconds) {
    return wait_for(milliseconds, [] { return FindWindowA("PCRunWClass", nullptr); });
}

HWND mdi_client() {
    return FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
}

std::vector<HWND> screen_windows() {
    std::vector<HWND> found;
    for (HWND child = GetWindow(mdi_client(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (std::string(name) == "PCScrWClass") {
            found.push_back(child);
        }
    }
    return found;
}

HWND active_document() {
    return reinterpret_cast<HWND>(SendMessageA(mdi_client(), WM_MDIGETACTIVE, 0, 0));
}

int copy_picture() {
    PostMessageA(find_frame(), WM_COMMAND, 20013, 0);
    Sleep(500);
    for (int tries = 0; tries < 20 && !OpenClipboard(nullptr); ++tries) {
        Sleep(100);
    }
    HANDLE data = GetClipboardData(CF_DIB);
    const SIZE_T size = data != nullptr ? GlobalSize(data) : 0;
    CloseClipboard();
    std::printf("%lu\n", static_cast<unsigned long>(size));
    return size > 0 ? 0 : fail("no bitmap on the clipboard");
}

int save_as(const std::string& path, int milliseconds) {
    PostMessageA(find_frame(), WM_COMMAND, 20005, 0);
    HWND dialog = wait_dialog("Save as", milliseconds);
    if (dialog == nullptr) {
        return fail("no Save as dialog");
    }
    Sleep(300);
    HWND name_box = GetDlgItem(dialog, 1148);
    if (name_box == nullptr) {
        name_box = GetDlgItem(dialog, 1152);
    }
    HWND types = GetDlgItem(dialog, kTypeChoice);
    print_list(types, true);
    SetWindowTextA(name_box, path.c_str());
    click(dialog, IDOK);
    const bool closed = wait_for(milliseconds, [&] { return find_dialog("Save as") == nullptr; });
    return closed ? 0 : fail("Save as dialog stays open");
}

// Milliseconds a program takes from its start to its end, run in folder.
long run_timed(const std::string& command_line, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = command_line;
    const DWORD start = GetTickCount();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const DWORD end = GetTickCount();
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0 ? static_cast<long>(end - start) : -1;
}

// Polls every few milliseconds, so that the driver adds little to what it measures.
template <typename Found>
bool wait_closely(int milliseconds, Found found) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < static_cast<DWORD>(milliseconds);
         Sleep(2)) {
        if (found()) {
            return true;
        }
    }
    return false;
}

// The same send of one file by the application (its link time: from the menu command to the
// dialog, and from the question's OK to the dialog's end) and by travex-cli.exe (its run time
// less the time the program takes to start and end without the link).
int time_send(const std::string& name, const std::string& cli, const std::string& folder) {
    const long startup = run_timed("cmd /c \"\"" + cli + "\" --help >NUL 2>NUL\"", folder);
    const long cli_run = run_timed(
        "cmd /c \"\"" + cli + "\" send " + name +
            " --time --quiet --port COM1 --timer 10 --out-buffer 4096 2>" + "cli-time.txt\"",
        folder);
    if (startup < 0 || cli_run < 0) {
        return fail("travex-cli.exe did not send " + name);
    }
    const DWORD begin = GetTickCount();
    PostMessageA(find_frame(), WM_COMMAND, 20021, 0);
    HWND dialog = nullptr;
    if (!wait_closely(60000, [&] { return (dialog = find_dialog("Send Files")) != nullptr; })) {
        return fail("no Send Files dialog");
    }
    const DWORD directory = GetTickCount() - begin;
    Sleep(300);
    SetDlgItemTextA(dialog, kNameEdit, name.c_str());
    if (!select_line(GetDlgItem(dialog, kFileList), name)) {
        return fail("no file " + name);
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1)));
    click(dialog, 31001);
    HWND box = nullptr;
    if (!wait_closely(20000, [&] { return (box = find_dialog("ZELTA TRAVEX")) != nullptr; })) {
        return fail("no send question");
    }
    driver::message_text(box);
    Sleep(1000);
    // A press that arrives while the box is still being set up can be lost: the time counts
    // from the press that closed it.
    DWORD ok = 0;
    bool pressed = false;
    for (int tries = 0; tries < 20 && !pressed; ++tries) {
        ok = GetTickCount();
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        pressed = wait_closely(1000, [&] { return !IsWindow(box); });
    }
    if (!pressed) {
        return fail("the send question stays open");
    }
    if (!wait_closely(120000, [] { return find_dialog("Send Files") == nullptr; })) {
        return fail("the send does not end");
    }
    // The goodbye follows the dialog; the link is done when the frame's timer stops, which the
    // frame shows by no longer being busy: a second Send would otherwise be refused.
    const DWORD app = directory + (GetTickCount() - ok);
    Sleep(500);
    const UINT query = RegisterWindowMessageA("TRAVEX.LinkTransferTime");
    const auto app_transfer = static_cast<unsigned long>(SendMessageA(find_frame(), query, 0, 0));
    unsigned long cli_transfer = 0;
    if (std::FILE* times = std::fopen((folder + "\\cli-time.txt").c_str(), "r")) {
        if (std::fscanf(times, "transfer: %lu", &cli_transfer) != 1) {
            cli_transfer = 0;
        }
        std::fclose(times);
    }
    std::printf("transfer: travex-cli.exe %lu ms, TRAVEX.exe %lu ms\n", cli_transfer, app_transfer);
    std::printf(
        "travex-cli.exe %ld ms, TRAVEX.exe %lu ms (directory %lu ms, file and goodbye "
        "%lu ms; travex-cli.exe runs %ld ms, starts and ends in %ld ms)\n",
        cli_run - startup, static_cast<unsigned long>(app), static_cast<unsigned long>(directory),
        static_cast<unsigned long>(app - directory), cli_run, startup);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    auto arg = [&](int at) { return std::string(argc > at ? argv[at] : ""); };
    auto number = [&](int at, int fallback) { return argc > at ? std::atoi(argv[at]) : fallback; };
    std::vector<std::string> rest;
    for (int i = 2; i < argc; ++i) {
        rest.push_back(argv[i]);
    }
    if (command == "command") {
        PostMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(number(2, 0)), 0);
        return 0;
    }
    if (command == "frame-enabled") {
        const bool enabled =
            wait_for(number(2, 20000), [] { return IsWindowEnabled(find_frame()) != FALSE; });
        return enabled ? 0 : fail("the frame stays disabled");
    }
    if (command == "wait-dialog") {
        return wait_dialog(arg(2), number(3, 20000)) != nullptr ? 0 : fail("no dialog " + arg(2));
    }
    if (command == "gone") {
        const bool gone =
            wait_for(number(3, 20000), [&] { return find_dialog(arg(2)) == nullptr; });
        return gone ? 0 : fail(arg(2) + " stays open");
    }
    if (command == "send-select") {
        return send_select(rest);
    }
    if (command == "receive-select") {
        return receive_select(rest);
    }
    if (command == "selection") {
        HWND dialog = find_dialog(arg(2));
        return dialog != nullptr ? print_list(GetDlgItem(dialog, kSelectionList))
                                 : fail("no dialog " + arg(2));
    }
    if (command == "click") {
        HWND dialog = wait_dialog(arg(2), 20000);
        if (dialog == nullptr) {
            return fail("no dialog " + arg(2));
        }
        click(dialog, number(3, IDOK));
        return 0;
    }
    if (command == "items") {
        HWND dialog = wait_dialog("Receive Files", number(2, 20000));
        if (dialog == nullptr) {
            return fail("no Receive Files dialog");
        }
        Sleep(300);
        return print_list(GetDlgItem(dialog, kItemList));
    }
    if (command == "category") {
        HWND dialog = wait_dialog("Receive Files", 20000);
        if (dialog == nullptr) {
            return fail("no Receive Files dialog");
        }
        HWND types = GetDlgItem(dialog, kTypeChoice);
        SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(number(2, 0)), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypeChoice, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(types));
        Sleep(300);
        return print_list(GetDlgItem(dialog, kItemList));
    }
    if (command == "answer") {
        return answer(arg(2), arg(3), number(4, 20000));
    }
    if (command == "question") {
        return question(number(2, IDCANCEL), number(3, 20000));
    }
    if (command == "progress") {
        HWND window = progress_window(number(2, 20000));
        if (window == nullptr) {
            return fail("no progress window");
        }
        Sleep(200);
        std::printf("%s\n%s\n", window_text(window).c_str(),
                    window_text(GetDlgItem(window, kProgressTextId)).c_str());
        return 0;
    }
    if (command == "cancel-progress") {
        HWND window = progress_window(number(2, 20000));
        if (window == nullptr) {
            return fail("no progress window");
        }
        click(window, kProgressCancel);
        return 0;
    }
    if (command == "screens") {
        for (HWND window : screen_windows()) {
            std::printf("%s\n", window_text(window).c_str());
        }
        return 0;
    }
    if (command == "wait-screens") {
        const std::size_t want = static_cast<std::size_t>(number(2, 1));
        return wait_for(number(3, 20000), [&] { return screen_windows().size() == want; })
                   ? 0
                   : fail("screen windows: " + std::to_string(screen_windows().size()));
    }
    if (command == "zoom") {
        HWND window = active_document();
        HWND list = GetDlgItem(window, 100);
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(number(2, 3)), 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(100, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        return 0;
    }
    if (command == "close-active") {
        PostMessageA(active_document(), WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "copy") {
        return copy_picture();
    }
    if (command == "save-as") {
        return save_as(arg(2), number(3, 20000));
    }
    if (command == "ports") {
        HWND dialog = wait_dialog("Communication Port", 20000);
        if (dialog == nullptr) {
            return fail("no Communication Port dialog");
        }
        HWND combo = GetDlgItem(dialog, kPortCombo);
        const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        std::printf("selected %s\n",
                    at == CB_ERR ? "none" : list_line(combo, static_cast<int>(at), true).c_str());
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kPortCombo, CBN_DROPDOWN),
                     reinterpret_cast<LPARAM>(combo));
        print_list(combo, true);
        std::printf("ok %s\n", IsWindowEnabled(GetDlgItem(dialog, 1018)) ? "on" : "off");
        return 0;
    }
    if (command == "step") {
        HWND dialog = wait_dialog("Auto Setting", number(2, 20000));
        if (dialog == nullptr) {
            return fail("no Auto Setting dialog");
        }
        std::printf("step %ld\n", static_cast<long>(SendDlgItemMessageA(dialog, kProgressBar,
                                                                        PBM_GETSTEP, 0, 0)));
        return 0;
    }
    if (command == "time-send") {
        return time_send(arg(2), arg(3), arg(4));
    }
    return fail("unknown command " + command);
}
