// The Find and Replace dialogs of the program editors: one modeless dialog at a time, its
// texts kept between uses, working on the active editor's text box.
#include <windows.h>

#include <commdlg.h>

#include <string>

#include "editor/edit_text.h"
#include "editor/editor_win32.h"
#include "editor/find_replace.h"
#include "window/app_state_win32.h"

namespace travex::win32 {
namespace {

constexpr int kFindBoxId = 1152;
constexpr int kReplaceBoxId = 1153;
constexpr int kDialogPointSize = 10;
// The dialogs' buffer length. Given as a count of characters and equal to the buffers' size,
// the dialog cannot write past them whether it counts characters or bytes.
constexpr WORD kFindBufferLength = 256;

enum class FindOperation { find_next = 1, replace = 2, replace_all = 3 };

struct FindState {
    wchar_t find_text[kFindBufferLength] = {};
    wchar_t replacement[kFindBufferLength] = {};
    FINDREPLACEW request{};
    bool match_case = false;
    HWND last_match_box = nullptr;
    FindOperation operation = FindOperation::find_next;
    HFONT dialog_font = nullptr;
};

FindState& find_state() {
    static FindState state;
    return state;
}

std::string calculator_text_of(const wchar_t* text) {
    const std::wstring wide(text);
    return from_edit_text(std::u16string(wide.begin(), wide.end()));
}

TextSelection selection_of(HWND box) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void select(HWND box, std::size_t start, std::size_t end) {
    SendMessageW(box, EM_SETSEL, start, static_cast<LPARAM>(end));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

void find_next_in(HWND box, HWND dialog) {
    FindState& state = find_state();
    const std::string pattern = calculator_text_of(state.find_text);
    const auto found = find_next(edit_box_text(box), pattern, selection_of(box), state.match_case);
    if (!found) {
        ReportError(dialog, MessageId::no_corresponding_data);
        return;
    }
    state.last_match_box = box;
    select(box, found->start, found->end);
}

void replace_current_in(HWND box) {
    const FindState& state = find_state();
    const std::string replacement = calculator_text_of(state.replacement);
    const auto range = replace_range(edit_box_text(box), calculator_text_of(state.find_text),
                                     selection_of(box), state.match_case);
    if (!range) {
        return;
    }
    select(box, range->start, range->end);
    replace_edit_selection(box, replacement, true);
    const std::size_t caret = range->start + replacement.size();
    select(box, caret, caret);
}

void replace_all_in(HWND box) {
    const FindState& state = find_state();
    const ReplaceAllResult result = replace_all(
        edit_box_text(box), calculator_text_of(state.find_text),
        calculator_text_of(state.replacement), selection_of(box).start, state.match_case);
    if (result.replacements == 0) {
        return;
    }
    // Replacing the selection (rather than setting the text) keeps the change undoable and
    // marks the box modified, so the save prompt still guards the new text.
    select(box, 0, static_cast<std::size_t>(-1));
    replace_edit_selection(box, result.text, true);
}

void close_dialog() {
    FindState& state = find_state();
    AppState& app = app_state();
    if (app.modeless_dialog != nullptr && IsWindow(app.modeless_dialog)) {
        DestroyWindow(app.modeless_dialog);
    }
    app.modeless_dialog = nullptr;
    if (state.dialog_font != nullptr) {
        DeleteObject(state.dialog_font);
        state.dialog_font = nullptr;
    }
}

void open_dialog(bool replace) {
    AppState& app = app_state();
    if (app.modeless_dialog != nullptr) {
        return;
    }
    FindState& state = find_state();
    state.request = FINDREPLACEW{};
    state.request.lStructSize = sizeof(FINDREPLACEW);
    state.request.hwndOwner = app.frame;
    state.request.Flags = FR_DOWN | FR_HIDEUPDOWN | FR_HIDEWHOLEWORD;
    state.request.lpstrFindWhat = state.find_text;
    state.request.wFindWhatLen = kFindBufferLength;
    if (replace) {
        state.request.lpstrReplaceWith = state.replacement;
        state.request.wReplaceWithLen = kFindBufferLength;
    }
    HWND dialog = replace ? ReplaceTextW(&state.request) : FindTextW(&state.request);
    if (dialog == nullptr) {
        return;
    }
    app.modeless_dialog = dialog;
    state.dialog_font = calculator_font(kDialogPointSize);
    SendDlgItemMessageW(dialog, kFindBoxId, WM_SETFONT, reinterpret_cast<WPARAM>(state.dialog_font),
                        TRUE);
    if (replace) {
        SendDlgItemMessageW(dialog, kReplaceBoxId, WM_SETFONT,
                            reinterpret_cast<WPARAM>(state.dialog_font), TRUE);
    }
}

}  // namespace

void OpenFind() {
    open_dialog(false);
}

void OpenReplace() {
    open_dialog(true);
}

void HandleFindMessage(LPARAM l) {
    FindState& state = find_state();
    const auto* request = reinterpret_cast<const FINDREPLACEW*>(l);
    if ((request->Flags & FR_DIALOGTERM) != 0) {
        close_dialog();
        FocusActiveEditor();
        return;
    }
    HWND box = editor_text_box(active_editor());
    if (box == nullptr) {
        return;
    }
    if ((request->Flags & FR_REPLACEALL) != 0 && (request->Flags & FR_REPLACE) == 0) {
        state.operation = FindOperation::replace_all;
    } else if ((request->Flags & FR_REPLACE) != 0) {
        state.operation = FindOperation::replace;
    } else if ((request->Flags & FR_FINDNEXT) != 0) {
        state.operation = FindOperation::find_next;
    }
    state.match_case = (request->Flags & FR_MATCHCASE) != 0;
    HWND dialog = app_state().modeless_dialog;
    switch (state.operation) {
        case FindOperation::find_next:
            find_next_in(box, dialog);
            break;
        case FindOperation::replace:
            replace_current_in(box);
            find_next_in(box, dialog);
            break;
        case FindOperation::replace_all:
            replace_all_in(box);
            close_dialog();
            FocusActiveEditor();
            break;
    }
}

void ReleaseFindState() {
    close_dialog();
}

}  // namespace travex::win32
