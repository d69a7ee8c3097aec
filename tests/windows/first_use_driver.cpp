// Drives a running TRAVEX.exe through what a new user meets first: the size of the editors, the
// Window menu, every command answering visibly, and the toolbar's faded buttons. Each command
// prints what it found and exits 0 when the expectation holds, 1 when it does not.
//
//   first_use_driver editor-sizes          width x height of every editor window, one a line
//   first_use_driver window-menu           "listed N of M": windows the Window menu lists, and
//                                          how many document windows are open
//   first_use_driver answers ID...         posts each command ID in turn; prints the window or
//                                          box that answers it ("class|title"), closes it and
//                                          answers whatever follows until nothing is left open
//   first_use_driver answers-buttons I...  the same for clicks on toolbar buttons
//   first_use_driver click I               clicks toolbar button I
//   first_use_driver toolbar-rect          the toolbar's screen rectangle: "X Y W H"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "driver_support.h"
#include "frame/toolbar_buttons.h"

namespace {

using driver::class_of;
using driver::fail;
using driver::find_frame;
using driver::mdi_client;
using driver::wait_for;
using driver::window_text;

std::vector<HWND> mdi_children() {
    std::vector<HWND> children;
    for (HWND child = GetWindow(mdi_client(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
            children.push_back(child);
        }
    }
    return children;
}

// The visible top-level windows of the application's process other than the frame: its
// dialogs, message boxes, progress and tool windows.
std::vector<HWND> popups() {
    struct Search {
        DWORD process = 0;
        HWND frame = nullptr;
        std::vector<HWND> found;
    } search;
    search.frame = find_frame();
    GetWindowThreadProcessId(search.frame, &search.process);
    EnumWindows(
        [](HWND window, LPARAM l) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(l);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == s.process && window != s.frame && IsWindowVisible(window)) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::set<HWND> open_windows() {
    std::set<HWND> all;
    for (HWND w : popups()) {
        all.insert(w);
    }
    const std::vector<HWND> children = mdi_children();
    all.insert(children.begin(), children.end());
    return all;
}

// Closes an answering window as a user would: a box or dialog with Cancel (OK when it has
// none), an MDI window with its close request.
void dismiss(HWND window) {
    if (GetParent(window) == mdi_client()) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        wait_for(3000, [&] { return !IsWindow(window); });
        return;
    }
    const int button = GetDlgItem(window, IDCANCEL) != nullptr ? IDCANCEL : IDOK;
    if (!driver::press_until_gone(window, button, 3000)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        wait_for(3000, [&] { return !IsWindow(window); });
    }
}

// Waits for a window that was not open before; prints and closes it.
int await_answer(const std::set<HWND>& before, int milliseconds, const std::string& what) {
    HWND answer = wait_for(milliseconds, [&]() -> HWND {
        for (HWND w : open_windows()) {
            if (!before.contains(w)) {
                return w;
            }
        }
        return nullptr;
    });
    if (answer == nullptr) {
        return fail(what + " answers with nothing");
    }
    Sleep(300);  // let it finish drawing before it is closed
    std::printf("%s|%s\n", class_of(answer).c_str(), window_text(answer).c_str());
    dismiss(answer);
    return 0;
}

int settle(int milliseconds) {
    // A dismissed window may be followed by another (a cancelled transfer's message): answer
    // until nothing has been open for a second.
    for (int quiet = 0, waited = 0; quiet < 1000; waited += 100) {
        if (waited > milliseconds) {
            return fail("windows keep opening");
        }
        const std::vector<HWND> open = popups();
        if (open.empty()) {
            quiet += 100;
        } else {
            quiet = 0;
            dismiss(open.front());
        }
        Sleep(100);
    }
    return 0;
}

HWND toolbar() {
    return FindWindowExA(find_frame(), nullptr, "PCTolWClass", nullptr);
}

int click_button(int index) {
    const auto buttons = travex::toolbar_buttons();
    if (index < 0 || index >= static_cast<int>(buttons.size()) || toolbar() == nullptr) {
        return fail("no toolbar button " + std::to_string(index));
    }
    const LPARAM at = MAKELPARAM(buttons[index].x + travex::kButtonWidth / 2,
                                 travex::kButtonTop + travex::kButtonHeight / 2);
    PostMessageA(toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(toolbar(), WM_LBUTTONUP, 0, at);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (find_frame() == nullptr) {
        return fail("no frame window");
    }
    if (command == "editor-sizes") {
        for (HWND child : mdi_children()) {
            if (class_of(child) == "PCEdtWClass") {
                RECT r;
                GetWindowRect(child, &r);
                std::printf("%ldx%ld\n", r.right - r.left, r.bottom - r.top);
            }
        }
        return 0;
    }
    if (command == "window-menu") {
        const UINT query = RegisterWindowMessageA("TRAVEX.WindowMenuCount");
        std::printf("listed %d of %d\n", static_cast<int>(SendMessageA(find_frame(), query, 0, 0)),
                    static_cast<int>(mdi_children().size()));
        return 0;
    }
    if (command == "answers" || command == "answers-buttons") {
        // Each command or button in turn must answer with a window, which is closed again with
        // whatever follows it before the next.
        int failures = 0;
        for (int i = 2; i < argc; ++i) {
            const std::set<HWND> before = open_windows();
            const int id = std::atoi(argv[i]);
            if (command == "answers") {
                PostMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(id), 0);
            } else if (click_button(id) != 0) {
                return 1;
            }
            failures += await_answer(before, 60000, command + " " + argv[i]);
            failures += settle(60000);
        }
        return failures == 0 ? 0 : 1;
    }
    if (command == "click") {
        return click_button(argc > 2 ? std::atoi(argv[2]) : -1);
    }
    if (command == "toolbar-rect") {
        RECT r;
        if (toolbar() == nullptr || !GetWindowRect(toolbar(), &r)) {
            return fail("no toolbar");
        }
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    std::fprintf(stderr, "usage: first_use_driver COMMAND ...\n");
    return 2;
}
