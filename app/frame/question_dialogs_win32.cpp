// The question dialogs of file transfers and group files: the file-exists question and the skip
// question, modal and centred on the screen.
#include <windows.h>

#include <string>

#include "frame/frame_win32.h"

namespace travex::win32 {
namespace {

constexpr int kFileExistsDialog = 30006;
constexpr int kSkipDialog = 30007;
constexpr int kQuestionTextId = 1000;

INT_PTR CALLBACK question_procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dialog, kQuestionTextId, reinterpret_cast<const char*>(l));
            centre_on_screen(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case kAnswerOverwriteAll:
                case IDCANCEL:
                case kAnswerOverwrite:
                case kAnswerSkip:
                    EndDialog(dialog, LOWORD(w));
                    return TRUE;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

int ask(HWND owner, int dialog, const std::string& text) {
    const INT_PTR answer =
        DialogBoxParamA(app_state().instance, MAKEINTRESOURCEA(dialog), owner, question_procedure,
                        reinterpret_cast<LPARAM>(text.c_str()));
    // A dialog that could not be shown answers Cancel: nothing is replaced unasked.
    return answer > 0 ? static_cast<int>(answer) : IDCANCEL;
}

}  // namespace

int ask_file_exists(HWND owner, const std::string& file_name) {
    return ask(owner, kFileExistsDialog, file_name);
}

int ask_skip(HWND owner, const std::string& text) {
    return ask(owner, kSkipDialog, text);
}

void centre_on_screen(HWND window) {
    RECT area;
    GetWindowRect(window, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, FALSE);
}

}  // namespace travex::win32
