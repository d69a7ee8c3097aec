// Drives the Repro dialogs of a running TRAVEX.exe for the Wine test, as a user would. Each
// command prints what it found and exits 0 when the expectation holds, 1 when it does not.
//
//   repro_driver open MS              Tools > Repro; dialog 162 appears; prints edit 1015
//   repro_driver send                 presses Send
//   repro_driver reaches N MS         the progress bar of dialog 164 reaches position N
//   repro_driver answer TITLE TEXT MS a message box with this title and text, answered with OK
//   repro_driver exit MS              presses Exit; dialog 162 goes
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver_support.h"

namespace {

using driver::fail;
using driver::find_dialog_where;
using driver::wait_for;

constexpr int kImagePathEdit = 1015;
constexpr int kProgressBar = 1019;

// The Repro dialogs and their message boxes share titles; their controls tell them apart (the
// boxes' text is static 0xFFFF, which the dialogs' labels share too).
HWND dialog_with(const std::string& title, int id) {
    return find_dialog_where(title, [id](HWND d) {
        const auto has = [d](int control) {
            return IsWindowVisible(d) && GetDlgItem(d, control) != nullptr;
        };
        return id != 0 ? has(id) : has(0xFFFF) && !has(kImagePathEdit) && !has(kProgressBar);
    });
}

HWND repro_dialog() {
    return dialog_with("Repro", kImagePathEdit);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const auto ms = [&](int at) { return argc > at ? std::atoi(argv[at]) : 10000; };
    if (command == "open") {
        PostMessageA(driver::find_frame(), WM_COMMAND, 40099, 0);
        HWND dialog = wait_for(ms(2), repro_dialog);
        char path[512] = {};
        GetDlgItemTextA(dialog, kImagePathEdit, path, sizeof path);
        std::printf("%s\n", path);
        return dialog != nullptr ? 0 : fail("dialog 162 did not open");
    }
    if (command == "send") {
        driver::click(repro_dialog(), IDOK);
        return repro_dialog() != nullptr ? 0 : fail("no dialog 162");
    }
    if (command == "reaches" && argc > 2) {
        const long wanted = std::atol(argv[2]);
        return wait_for(ms(3),
                        [wanted] {
                            return SendDlgItemMessageA(dialog_with("Repro", kProgressBar),
                                                       kProgressBar, PBM_GETPOS, 0, 0) >= wanted;
                        })
                   ? 0
                   : fail("the progress bar did not reach " + std::string(argv[2]));
    }
    if (command == "answer" && argc > 3) {
        HWND box = wait_for(ms(4), [&] { return dialog_with(argv[2], 0); });
        const std::string shown = box != nullptr ? driver::message_text(box) : "";
        std::printf("%s\n", shown.c_str());
        return shown == argv[3] && driver::press_until_gone(box, IDOK, 10000)
                   ? 0
                   : fail("no message box " + std::string(argv[2]) + " with that text");
    }
    if (command == "exit") {
        HWND dialog = repro_dialog();
        return dialog != nullptr && driver::press_until_gone(dialog, IDCANCEL, ms(2))
                   ? 0
                   : fail("Exit did not close dialog 162");
    }
    std::fprintf(stderr, "usage: repro_driver open|send|reaches|answer|exit\n");
    return 2;
}
