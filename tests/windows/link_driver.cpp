// Drives the link commands of a running TRAVEX.exe for the Wine tests, as a user would: the
// Link menu, the Send Files and Receive Files dialogs, the progress window, message boxes and
// questions, the screen image windows, the Communication Port and Auto Setting dialogs. Each
// command prints what it found and answers 0 when the expectation holds, 1 when it does not.
// "link_driver serve" reads one command a line (arguments separated by tabs) and ends each
// answer with a line "::rc N", so that a test runs all its commands in one process; "quit" ends
// it.
//
//   command ID                     posts a menu command to the frame
//   frame-enabled MS               until the frame is enabled again
//   wait-dialog TITLE MS           until a dialog with this title is open
//   gone TITLE MS                  until no dialog with this title is open
//   click TITLE ID [COMMAND]       presses a button of a dialog (and posts menu command
//                                  COMMAND to the frame right behind it)
//   select TITLE NAME...           Send Files / Receive Files: selects each line; prints the
//                                  selection list
//   category N                     Receive Files: chooses category N (0 = all), prints items
//   answer TITLE BUTTON MS         prints a box's text and presses ok|cancel|yes|no
//   question ID MS                 30006/30007: prints the text, presses button ID
//   progress MS [cancel]           prints the progress window's title and text, or presses
//                                  its Cancel
//   wait-screens N MS              until N screen image windows are open; prints their titles
//   zoom N                         the active screen image shows zoom entry N
//   close-active                   asks the active document window to close
//   copy                           Edit > Copy; prints the clipboard's bitmap size
//   save-as PATH MS                File > Save As of the active window to PATH
//   ports                          Communication Port: prints the port list
//   step MS                        Auto Setting: prints the progress bar's step
//   time-send NAME                 the times of the application's send of NAME
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;
using driver::window_text;
using Args = std::vector<std::string>;

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

// A text of the application's windows, asked for in UTF-16 (which Wine passes between
// processes reliably) and given back as the ASCII it holds: a window's own text, or line index
// of a list or combo box.
std::string text_of(HWND window, UINT message = WM_GETTEXT, int index = 512) {
    std::wstring text(512, L'\0');
    const LRESULT got = SendMessageW(window, message, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    std::string narrow;
    for (LRESULT i = 0; i < got && i < 512; ++i) {
        const wchar_t c = text[static_cast<std::size_t>(i)];
        narrow.push_back(static_cast<char>(c < 0x80 ? c : '?'));
    }
    return narrow;
}

std::string list_line(HWND list, int index, bool combo) {
    return text_of(list, combo ? CB_GETLBTEXT : LB_GETTEXT, index);
}

int print_list(HWND list, bool combo = false) {
    const LRESULT count = SendMessageA(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        std::printf("%s\n", list_line(list, i, combo).c_str());
    }
    return 0;
}

std::string one_line(std::string text) {
    for (char& c : text) {
        c = c == '\r' || c == '\n' ? '|' : c;
    }
    return text;
}

HWND wait_dialog(const std::string& title, int milliseconds) {
    return wait_for(milliseconds, [&] { return find_dialog(title); });
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

// Selects the line of a list box that reads text (without regard to case).
bool select_line(HWND list, const std::string& text) {
    const LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(text.c_str()));
    return at != LB_ERR && SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0) != LB_ERR;
}

// Send Files takes a file of its folder list with Select (1); Receive Files an item of the
// calculator's list with Select (31001).
int select(const std::string& title, const Args& names) {
    HWND dialog = wait_dialog(title, 20000);
    if (dialog == nullptr) {
        return fail("no dialog " + title);
    }
    const bool sending = title == "Send Files";
    wait_for(5000, [&] { return GetDlgItem(dialog, kSelectionList); });
    for (const std::string& name : names) {
        if (sending) {
            SetDlgItemTextA(dialog, kNameEdit, name.c_str());
        }
        if (!select_line(GetDlgItem(dialog, sending ? kFileList : kItemList), name)) {
            return fail("no line " + name + " in " + title);
        }
        SendMessageA(dialog, WM_COMMAND, sending ? 1 : 31001, 0);
    }
    return print_list(GetDlgItem(dialog, kSelectionList));
}

int answer(const std::string& title, const std::string& button, int milliseconds) {
    HWND box = wait_dialog(title, milliseconds);
    if (box == nullptr) {
        return fail("no box titled " + title);
    }
    std::printf("%s\n", one_line(driver::message_text(box)).c_str());
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
    std::string text;
    wait_for(2000, [&] { return !(text = window_text(GetDlgItem(box, 1000))).empty(); });
    std::printf("%s\n", one_line(text).c_str());
    return driver::press_until_gone(box, button, 10000) ? 0 : fail("question stays open");
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

// Edit > Copy is done when the frame has answered it.
int copy_picture() {
    SendMessageA(find_frame(), WM_COMMAND, 20013, 0);
    HANDLE data = OpenClipboard(nullptr) ? GetClipboardData(CF_DIB) : nullptr;
    const SIZE_T size = data != nullptr ? GlobalSize(data) : 0;
    CloseClipboard();
    std::printf("%lu\n", static_cast<unsigned long>(size));
    return size > 0 ? 0 : fail("no bitmap on the clipboard");
}

int save_as(const std::string& path, int milliseconds) {
    PostMessageA(find_frame(), WM_COMMAND, 20005, 0);
    HWND dialog = wait_dialog("Save as", milliseconds);
    HWND types = dialog != nullptr ? GetDlgItem(dialog, kTypeChoice) : nullptr;
    if (types == nullptr ||
        !wait_for(5000, [&] { return SendMessageA(types, CB_GETCOUNT, 0, 0) > 0; })) {
        return fail("no Save as dialog");
    }
    HWND name_box =
        GetDlgItem(dialog, 1148) != nullptr ? GetDlgItem(dialog, 1148) : GetDlgItem(dialog, 1152);
    print_list(types, true);
    SetWindowTextA(name_box, path.c_str());
    click(dialog, IDOK);
    return wait_for(milliseconds, [&] { return !IsWindow(dialog); }) ? 0 : fail("Save as stays");
}

// The application's send of one file, timed as travex-cli.exe's is: from the menu command to
// its dialog and from the question's OK until the link has said goodbye (the user's choosing
// left out); and the transfer proper as the application measures it.
int time_send(const std::string& name) {
    const UINT busy_query = RegisterWindowMessageA("TRAVEX.LinkBusy");
    const auto link_busy = [&] { return SendMessageA(find_frame(), busy_query, 0, 0) != 0; };
    const DWORD begin = GetTickCount();
    PostMessageA(find_frame(), WM_COMMAND, 20021, 0);
    HWND dialog = nullptr;
    if (!wait_closely(60000, [&] { return (dialog = find_dialog("Send Files")) != nullptr; })) {
        return fail("no Send Files dialog");
    }
    const DWORD directory = GetTickCount() - begin;
    if (select("Send Files", {name}) != 0) {
        return 1;
    }
    click(dialog, 31001);
    HWND box = nullptr;
    if (!wait_closely(20000, [&] { return (box = find_dialog("ZELTA TRAVEX")) != nullptr; })) {
        return fail("no send question");
    }
    driver::message_text(box);
    Sleep(500);
    // A press that arrives while the box is still being set up can be lost: the time counts
    // from the press that closed it.
    DWORD ok = 0;
    bool pressed = false;
    for (int tries = 0; tries < 20 && !pressed; ++tries) {
        ok = GetTickCount();
        click(box, IDOK);
        pressed = wait_closely(1000, [&] { return !IsWindow(box); });
    }
    if (!pressed || !wait_closely(120000, [&] { return !IsWindow(dialog) && !link_busy(); })) {
        return fail("the send does not end");
    }
    const UINT time_query = RegisterWindowMessageA("TRAVEX.LinkTransferTime");
    std::printf("operation %lu ms, transfer %lu ms\n",
                static_cast<unsigned long>(directory + (GetTickCount() - ok)),
                static_cast<unsigned long>(SendMessageA(find_frame(), time_query, 0, 0)));
    return 0;
}

int run(const Args& a) {
    const auto arg = [&](std::size_t at) { return a.size() > at ? a[at] : std::string(); };
    const auto number = [&](std::size_t at, int fallback) {
        return a.size() > at ? std::atoi(a[at].c_str()) : fallback;
    };
    const auto check = [](bool holds, const std::string& what) { return holds ? 0 : fail(what); };
    const std::map<std::string, std::function<int()>> commands = {
        {"command",
         [&] {
             return check(PostMessageA(find_frame(), WM_COMMAND, number(1, 0), 0), "no frame");
         }},
        {"frame-enabled",
         [&] {
             return check(
                 wait_for(number(1, 20000), [] { return IsWindowEnabled(find_frame()) != 0; }),
                 "the frame stays disabled");
         }},
        {"wait-dialog",
         [&] {
             return check(wait_dialog(arg(1), number(2, 20000)) != nullptr, "no dialog " + arg(1));
         }},
        {"gone",
         [&] {
             return check(
                 wait_for(number(2, 20000), [&] { return find_dialog(arg(1)) == nullptr; }),
                 arg(1) + " stays open");
         }},
        {"click",
         [&] {
             // A menu command given as well reaches the frame right behind the press.
             HWND dialog = wait_dialog(arg(1), 20000);
             click(dialog, number(2, IDOK));
             if (a.size() > 3) {
                 PostMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(number(3, 0)), 0);
             }
             return check(dialog != nullptr, "no dialog " + arg(1));
         }},
        {"select",
         [&] {
             return select(arg(1), Args(a.begin() + std::min<std::size_t>(2, a.size()), a.end()));
         }},
        {"category",
         [&] {
             HWND dialog = wait_dialog("Receive Files", 20000);
             HWND types = GetDlgItem(dialog, kTypeChoice);
             SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(number(1, 0)), 0);
             SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypeChoice, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(types));
             Sleep(300);
             return dialog != nullptr ? print_list(GetDlgItem(dialog, kItemList))
                                      : fail("no Receive Files dialog");
         }},
        {"answer", [&] { return answer(arg(1), arg(2), number(3, 20000)); }},
        {"question", [&] { return question(number(1, IDCANCEL), number(2, 20000)); }},
        {"progress",
         [&] {
             // Prints the title and the text, or presses Cancel.
             HWND window =
                 wait_for(number(1, 20000), [] { return FindWindowA("PCRunWClass", nullptr); });
             if (arg(2) == "cancel") {
                 click(window, kProgressCancel);
             } else {
                 // The text settles once the window has painted.
                 Sleep(200);
                 std::printf("%s\n%s\n", text_of(window).c_str(),
                             text_of(GetDlgItem(window, kProgressTextId)).c_str());
             }
             return check(window != nullptr, "no progress window");
         }},
        {"wait-screens",
         [&] {
             // Prints the windows' titles.
             const auto want = static_cast<std::size_t>(number(1, 1));
             const bool found =
                 wait_for(number(2, 20000), [&] { return screen_windows().size() == want; });
             for (HWND window : screen_windows()) {
                 std::printf("%s\n", window_text(window).c_str());
             }
             return check(found, "screen windows: " + std::to_string(screen_windows().size()));
         }},
        {"zoom",
         [&] {
             HWND window = active_document();
             HWND list = GetDlgItem(window, 100);
             SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(number(1, 3)), 0);
             SendMessageA(window, WM_COMMAND, MAKEWPARAM(100, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(list));
             return 0;
         }},
        {"close-active",
         [&] { return check(PostMessageA(active_document(), WM_CLOSE, 0, 0), "no window"); }},
        {"copy", [&] { return copy_picture(); }},
        {"save-as", [&] { return save_as(arg(1), number(2, 20000)); }},
        {"ports",
         [&] {
             // A dialog found as it is made may not have its controls yet.
             HWND dialog = wait_dialog("Communication Port", 20000);
             HWND combo = wait_for(5000, [&] { return GetDlgItem(dialog, kPortCombo); });
             // The list as it drops down: every usable port, the current one selected.
             SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kPortCombo, CBN_DROPDOWN),
                          reinterpret_cast<LPARAM>(combo));
             std::string selected = "none";
             wait_for(5000, [&] {
                 const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
                 return at != CB_ERR &&
                        !(selected = list_line(combo, static_cast<int>(at), true)).empty();
             });
             std::printf("selected %s\n", selected.c_str());
             print_list(combo, true);
             std::printf("ok %s\n", IsWindowEnabled(GetDlgItem(dialog, 1018)) ? "on" : "off");
             return check(dialog != nullptr, "no Communication Port dialog");
         }},
        {"step",
         [&] {
             HWND dialog = wait_dialog("Auto Setting", number(1, 20000));
             std::printf("step %ld\n", static_cast<long>(SendDlgItemMessageA(dialog, kProgressBar,
                                                                             PBM_GETSTEP, 0, 0)));
             return check(dialog != nullptr, "no Auto Setting dialog");
         }},
        {"time-send", [&] { return time_send(arg(1)); }},
    };
    const auto found = commands.find(arg(0));
    return found != commands.end() ? found->second() : fail("unknown command " + arg(0));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "serve") {
        char line[4096];
        while (std::fgets(line, sizeof line, stdin) != nullptr) {
            Args args;
            std::string field;
            for (const char* c = line; *c != '\0'; ++c) {
                if (*c == '\t' || *c == '\n' || *c == '\r') {
                    if (*c == '\t' || !field.empty()) {
                        args.push_back(field);
                    }
                    field.clear();
                } else {
                    field.push_back(*c);
                }
            }
            if (args.size() == 1 && args[0] == "quit") {
                break;
            }
            std::printf("::rc %d\n", args.empty() ? 0 : run(args));
            std::fflush(stdout);
        }
        return 0;
    }
    return run(Args(argv + 1, argv + argc));
}
