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

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

// Whether a shown dialog has this control.
bool has(HWND dialog, int id) {
    return IsWindowVisible(dialog) && GetDlgItem(dialog, id) != nullptr;
}

// A message box: its text is static 0xFFFF, which the labels of the Repro dialogs share.
HWND find_message_box(const std::string& title) {
    return driver::find_dialog_where(title, [](HWND d) {
        return has(d, kMessageText) && !has(d, kImagePathEdit) && !has(d, kProgressBar);
    });
}

HWND repro_dialog() {
    return driver::find_dialog_where("Repro", [](HWND d) { return has(d, kImagePathEdit); });
}

HWND progress_dialog() {
    return driver::find_dialog_where("Repro", [](HWND d) { return has(d, kProgressBar); });
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
    driver::click(dialog, IDOK);
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
        return fail("no message box titled " + title);
    }
    const std::string shown = driver::message_text(box);
    std::printf("%s\n", shown.c_str());
    int failures = 0;
    if (shown != text) {
        failures += fail("the message differs");
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
        return answer(argv[2], argv[3], ms(4));
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
