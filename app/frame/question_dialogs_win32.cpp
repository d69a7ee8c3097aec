// The question dialogs of file transfers and group files: the file-exists question and the skip
// question, modal and centred on the screen.
#include <windows.h>

#include <string>

#include "frame/frame_win32.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace travex::win32 {
namespace {

INT_PTR CALLBACK question_procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dialog, IDC_QUESTION_TEXT, reinterpret_cast<const char*>(l));
            centre_on_screen(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case IDC_ANSWER_OVERWRITE_ALL:
                case IDCANCEL:
                case IDC_ANSWER_OVERWRITE:
                case IDC_ANSWER_SKIP:
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

OverwriteAnswer DialogQuestions::ask_overwrite(std::string_view path) {
    switch (ask(owner_, IDD_FILE_EXISTS, std::string(path))) {
        case IDC_ANSWER_OVERWRITE_ALL:
            return OverwriteAnswer::overwrite_all;
        case IDC_ANSWER_OVERWRITE:
            return OverwriteAnswer::overwrite;
        case IDC_ANSWER_SKIP:
            return OverwriteAnswer::skip;
        default:
            return OverwriteAnswer::cancel;
    }
}

SkipAnswer DialogQuestions::ask_skip(MessageId message, std::string_view path) {
    // The skip messages end in an empty line that the file name fills.
    const std::string text =
        std::string(string_text(string_id(message)).value_or("")) + std::string(path);
    return ask(owner_, IDD_SKIP, text) == IDC_ANSWER_SKIP ? SkipAnswer::skip : SkipAnswer::cancel;
}

void DialogQuestions::report(MessageId message) {
    ReportError(owner_, message);
}

}  // namespace travex::win32
