// Drives the link commands of a running TRAVEX.exe for the Wine tests, as a user would: the
// Link menu, the Send Files and Receive Files dialogs, message boxes and questions, the screen
// image windows. Each command prints what it found and answers 0 when the expectation holds, 1
// when it does not. "link_driver serve" reads one command a line (arguments separated by tabs)
// and ends each answer with a line "::rc N", so that a test runs all its commands in one
// process; "quit" ends it.
//
//   command ID                     posts a menu command to the frame
//   frame-enabled MS               until the frame is enabled again
//   wait-dialog TITLE MS           until a dialog with this title is open
//   gone TITLE MS                  until no dialog with this title is open
//   click TITLE ID [COMMAND]       presses a button of a dialog (and posts menu command
//                                  COMMAND to the frame right behind it)
//   select TITLE NAME...           Send Files / Receive Files: selects each line; prints the
//                                  selection list
//   answer TITLE BUTTON MS         prints a box's text and presses ok|cancel|yes|no
//   question ID MS                 30006/30007: prints the text, presses button ID
//   wait-screens N MS              until N screen image windows are open; prints their titles
//   time-send NAME                 the times of the application's send of NAME
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

using driver::click;
using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;
using Args = std::vector<std::string>;

constexpr int kFileList = 1120;
constexpr int kNameEdit = 1152;
constexpr int kSelectionList = 31005;
constexpr int kItemList = 31007;

// A line of a list box, asked for in UTF-16 (which Wine passes between processes reliably) and
// given back as the ASCII it holds.
std::string list_line(HWND list, int index) {
    std::wstring text(512, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    std::string narrow;
    for (LRESULT i = 0; i < got && i < 512; ++i) {
        const wchar_t c = text[static_cast<std::size_t>(i)];
        narrow.push_back(static_cast<char>(c < 0x80 ? c : '?'));
    }
    return narrow;
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

// Send Files takes a file of its folder list with Select (1); Receive Files an item of the
// calculator's list, once the calculator has listed them, with Select (31001).
int select(const std::string& title, const Args& names) {
    HWND dialog = wait_dialog(title, 20000);
    const bool sending = title == "Send Files";
    HWND list = nullptr;
    HWND chosen = nullptr;
    // A dialog found as it is made may not have its controls yet.
    if (!wait_for(20000, [&] {
            list = GetDlgItem(dialog, sending ? kFileList : kItemList);
            chosen = GetDlgItem(dialog, kSelectionList);
            return chosen != nullptr && SendMessageA(list, LB_GETCOUNT, 0, 0) > 0;
        })) {
        return fail("nothing to choose in " + title);
    }
    for (const std::string& name : names) {
        if (sending) {
            SetDlgItemTextA(dialog, kNameEdit, name.c_str());
        }
        const LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(name.c_str()));
        if (at == LB_ERR) {
            return fail("no line " + name + " in " + title);
        }
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(dialog, WM_COMMAND, sending ? 1 : 31001, 0);
    }
    for (int i = 0; i < SendMessageA(chosen, LB_GETCOUNT, 0, 0); ++i) {
        std::printf("%s\n", list_line(chosen, i).c_str());
    }
    return 0;
}

// Message boxes carry their text in static 0xFFFF, the question dialogs 30006 and 30007 (titled
// "TRAVEX") in control 1000.
int answer(const std::string& title, int button, int milliseconds) {
    HWND box = wait_dialog(title, milliseconds);
    if (box == nullptr) {
        return fail("no box titled " + title);
    }
    std::string text;
    wait_for(5000, [&] {
        char buffer[1024] = {};
        GetDlgItemTextA(box, title == "TRAVEX" ? 1000 : 0xFFFF, buffer, sizeof buffer);
        return !(text = buffer).empty();
    });
    std::printf("%s\n", one_line(text).c_str());
    return driver::press_until_gone(box, button, 10000) ? 0 : fail("box stays open");
}

std::vector<HWND> screen_windows() {
    std::vector<HWND> found;
    for (HWND child = GetWindow(driver::mdi_client(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (driver::class_of(child) == "PCScrWClass") {
            found.push_back(child);
        }
    }
    return found;
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
    const std::map<std::string, int> buttons = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
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
             // A menu command given as well reaches the frame right behind the press; the
             // pressed dialog is then awaited to close, so that one found next is another.
             HWND dialog = wait_dialog(arg(1), 20000);
             click(dialog, number(2, IDOK));
             if (a.size() > 3) {
                 PostMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(number(3, 0)), 0);
                 wait_for(20000, [&] { return !IsWindow(dialog); });
             }
             return check(dialog != nullptr && (a.size() <= 3 || !IsWindow(dialog)),
                          "no dialog " + arg(1) + ", or it stays open");
         }},
        {"select",
         [&] {
             return select(arg(1), Args(a.begin() + std::min<std::size_t>(2, a.size()), a.end()));
         }},
        {"answer",
         [&] {
             return answer(arg(1), buttons.contains(arg(2)) ? buttons.at(arg(2)) : IDOK,
                           number(3, 20000));
         }},
        {"question", [&] { return answer("TRAVEX", number(1, IDCANCEL), number(2, 20000)); }},
        {"wait-screens",
         [&] {
             const auto want = static_cast<std::size_t>(number(1, 1));
             const bool found =
                 wait_for(number(2, 20000), [&] { return screen_windows().size() == want; });
             for (HWND window : screen_windows()) {
                 std::printf("%s\n", driver::window_text(window).c_str());
             }
             return check(found, "screen windows: " + std::to_string(screen_windows().size()));
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
