// Drives the Repro dialogs of a running TRAVEX.exe for the Wine test, as a user would. Each
// command prints what it found and exits 0 when the expectation holds, 1 when it does not.
//
//   repro_driver open MS              Tools > Repro; dialog 162 appears; prints edit 1015
//   repro_driver closed MS            no dialog 162 is open (after "init err", or Exit)
//   repro_driver send                 presses Send
//   repro_driver progress MS          the progress dialog 164 appears; prints its bar position
//   repro_driver position             prints the progress bar's position (or "none")
//   repro_driver reaches N MS         the progress bar reaches position N; prints it
//   repro_driver answer TITLE TEXT MS a message box with this title and text, answered with OK
//   repro_driver exit MS              presses Exit; dialog 162 goes
//   repro_driver enabled              dialog 162 takes input
#include <windows.h>
//
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

#include "driver_support.h"

namespace {

using driver::fail;
using driver::find_frame;
using driver::wait_for;
using driver::window_text;

constexpr int kReproCommand = 40099;
constexpr int kImagePathEdit = 1015;
constexpr int kProgressBar = 1019;
constexpr int kMessageText = 0xFFFF;

struct Search {
    std::string title;
    int child_id;
    HWND found;
    bool message_box = false;  // none of the Repro dialogs' own controls
};

BOOL CALLBACK match(HWND window, LPARAM l) {
    auto* search = reinterpret_cast<Search*>(l);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && window_text(window) == search->title &&
        GetDlgItem(window, search->child_id) != nullptr && IsWindowVisible(window) &&
        (!search->message_box || (GetDlgItem(window, kImagePathEdit) == nullptr &&
                                  GetDlgItem(window, kProgressBar) == nullptr))) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A dialog of the application told apart by its title and a control only it has.
HWND find_dialog_with(const std::string& title, int child_id) {
    Search search{title, child_id, nullptr};
    EnumWindows(match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Texts joined piece by piece (the "literal" + string form trips a false warning of the
// cross compiler).
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const std::string_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

// A message box: its text is static 0xFFFF, which the labels of the dialogs share.
HWND find_message_box(const std::string& title) {
    Search search{title, kMessageText, nullptr, true};
    EnumWindows(match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND repro_dialog() {
    return find_dialog_with("Repro", kImagePathEdit);
}

HWND progress_dialog() {
    return find_dialog_with("Repro", kProgressBar);
}

int open(int ms) {
    HWND frame = find_frame();
    if (frame == nullptr) {
        return fail("no frame");
    }
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(kReproCommand, 0), 0);
    HWND dialog = wait_for(ms, [] { return repro_dialog(); });
    if (dialog == nullptr) {
        return fail("dialog 162 did not open");
    }
    char path[512] = {};
    GetDlgItemTextA(dialog, kImagePathEdit, path, sizeof path);
    std::printf("%s\n", path);
    return 0;
}

int closed(int ms) {
    const bool gone = wait_for(ms, [] { return repro_dialog() == nullptr; });
    return gone ? 0 : fail("dialog 162 is still open");
}

int send() {
    HWND dialog = repro_dialog();
    if (dialog == nullptr) {
        return fail("no dialog 162");
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return 0;
}

int position() {
    HWND progress = progress_dialog();
    if (progress == nullptr) {
        std::printf("none\n");
        return 1;
    }
    const LRESULT pos = SendDlgItemMessageA(progress, kProgressBar, PBM_GETPOS, 0, 0);
    std::printf("%ld\n", static_cast<long>(pos));
    return 0;
}

int reaches(long wanted, int ms) {
    const bool reached = wait_for(ms, [wanted] {
        HWND progress = progress_dialog();
        return progress != nullptr &&
               SendDlgItemMessageA(progress, kProgressBar, PBM_GETPOS, 0, 0) >= wanted;
    });
    position();
    return reached ? 0 : fail("the progress bar did not reach " + std::to_string(wanted));
}

int progress(int ms) {
    if (wait_for(ms, [] { return progress_dialog(); }) == nullptr) {
        return fail("the progress dialog did not appear");
    }
    return position();
}

int answer(const std::string& title, const std::string& text, int ms) {
    HWND box = wait_for(ms, [&] { return find_message_box(title); });
    if (box == nullptr) {
        return fail(joined({"no \"", title, "\" message box"}));
    }
    const std::string shown = driver::message_text(box);
    std::printf("%s\n", shown.c_str());
    int failures = 0;
    if (shown != text) {
        failures += fail(joined({"message is '", shown, "'"}));
    }
    if (!driver::press_until_gone(box, IDOK, 10000)) {
        failures += fail("the message box did not close");
    }
    return failures;
}

int exit_dialog(int ms) {
    HWND dialog = repro_dialog();
    if (dialog == nullptr) {
        return fail("no dialog 162");
    }
    return driver::press_until_gone(dialog, IDCANCEL, ms) ? 0 : fail("Exit did not close it");
}

int enabled() {
    HWND dialog = repro_dialog();
    return dialog != nullptr && IsWindowEnabled(dialog) ? 0 : fail("dialog 162 is not enabled");
}

// Message texts arrive from the shell with "\n" written out.
std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\\' && at + 1 < text.size() && text[at + 1] == 'n') {
            out.push_back('\n');
            ++at;
        } else {
            out.push_back(text[at]);
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    auto ms = [&](int at) { return argc > at ? std::atoi(argv[at]) : 10000; };
    if (command == "open") {
        return open(ms(2));
    }
    if (command == "closed") {
        return closed(ms(2));
    }
    if (command == "send") {
        return send();
    }
    if (command == "progress") {
        return progress(ms(2));
    }
    if (command == "reaches" && argc > 2) {
        return reaches(std::atol(argv[2]), ms(3));
    }
    if (command == "position") {
        return position();
    }
    if (command == "answer" && argc > 3) {
        return answer(argv[2], unescape(argv[3]), ms(4));
    }
    if (command == "exit") {
        return exit_dialog(ms(2));
    }
    if (command == "enabled") {
        return enabled();
    }
    std::fprintf(stderr, "usage: repro_driver open|closed|send|progress|position|answer|exit\n");
    return 2;
}
