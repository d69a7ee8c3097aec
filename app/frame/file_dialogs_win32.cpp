// File > Open and File > Save As: the common file dialogs with the running model's filters,
// the window that opens a chosen file, and the extension rule of a saved name.
#include <windows.h>

#include <commdlg.h>

#include <string>

#include "base/dialog_name_buffer.h"
#include "base/file_system.h"
#include "editor/editor_win32.h"
#include "files/calc_file.h"
#include "files/file_kind.h"
#include "files/open_action.h"
#include "files/save_as_name.h"
#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "frame/slide_show_win32.h"
#include "resources/file_filters.h"
#include "window/message_table.h"

namespace travex::win32 {
namespace {

void report_dialog_failure(HWND owner) {
    const DWORD error = CommDlgExtendedError();
    if (error == 0) {
        return;  // cancelled
    }
    ReportError(
        owner, error == FNERR_BUFFERTOOSMALL ? MessageId::name_too_long : MessageId::cannot_create);
}

// The dialogs leave the current folder where the user chose the file; it becomes the data
// folder that the next dialog starts in.
void remember_data_folder() {
    char folder[MAX_PATH] = {};
    // A folder longer than the buffer is not read (the answer is then its needed length).
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    if (length > 0 && length < MAX_PATH) {
        app_state().settings.data_folder = folder;
    }
}

constexpr char kDialogProcedure[] = "TRAVEX.DialogProcedure";
constexpr int kNameCombo = 1148;  // the name box of the explorer-style dialogs
constexpr int kNameEdit = 1152;   // and of the others

std::string control_text(HWND control) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool chosen_path_too_long(HWND dialog) {
    HWND name_box = GetDlgItem(dialog, kNameCombo);
    if (name_box == nullptr) {
        name_box = GetDlgItem(dialog, kNameEdit);
    }
    if (name_box == nullptr) {
        return false;
    }
    DialogNameBuffer folder;
    SendMessageA(dialog, CDM_GETFOLDERPATH, folder.length(),
                 reinterpret_cast<LPARAM>(folder.data()));
    return chosen_path_length(folder.text(), control_text(name_box)) >= kMaxPathLength;
}

// The dialog's own handling of OK copies the folder and the typed name into buffers of a fixed
// size before anything comes back to the application, and a long enough name overruns them
// (under Wine the process dies inside the dialog). A name whose path would be 256 characters or
// more is answered here with message 428 instead, and the dialog stays open for another name.
LRESULT CALLBACK long_name_guard(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    const auto own = reinterpret_cast<WNDPROC>(GetPropA(dialog, kDialogProcedure));
    if (message == WM_COMMAND && LOWORD(w) == IDOK && chosen_path_too_long(dialog)) {
        ReportError(dialog, MessageId::name_too_long);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        RemovePropA(dialog, kDialogProcedure);
    }
    return CallWindowProcA(own, dialog, message, w, l);
}

// The hook of an explorer-style dialog is a child of the dialog; it puts the guard in front of
// the dialog's own procedure.
UINT_PTR CALLBACK guard_hook(HWND hook, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        HWND dialog = GetParent(hook);
        SetPropA(dialog, kDialogProcedure,
                 reinterpret_cast<HANDLE>(GetWindowLongPtrA(dialog, GWLP_WNDPROC)));
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(long_name_guard));
    }
    return 0;
}

OPENFILENAMEA dialog_request(HWND owner, const std::string& filter, DialogNameBuffer& name,
                             const char* title) {
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = name.data();
    request.nMaxFile = name.length();
    const std::string& folder = app_state().settings.data_folder;
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrTitle = title;
    request.lpfnHook = guard_hook;
    return request;
}

std::uint64_t file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The dialog asked before replacing the name as typed; a name that the extension rule changed
// is asked about here, so an existing file is never replaced unasked.
bool may_replace(HWND owner, const std::string& typed, const std::string& path) {
    if (path == typed || !real_file_system().exists(path)) {
        return true;
    }
    const std::string question = path + " already exists.\nDo you want to replace it?";
    return MessageBoxA(owner, question.c_str(), "Save as", MB_YESNO | MB_ICONWARNING) == IDYES;
}

// The Save as dialog with a filter list: the path to write after the extension rule, or empty
// when the user cancelled, the path is too long to be written (message 428) or the user would
// not replace a file.
std::string ask_save_path(HWND owner, const std::string& list) {
    const std::string filter = dialog_filter(list);
    DialogNameBuffer name;
    OPENFILENAMEA request = dialog_request(owner, filter, name, "Save as");
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NONETWORKBUTTON |
                    OFN_ENABLEHOOK;
    if (!GetSaveFileNameA(&request)) {
        report_dialog_failure(owner);
        return {};
    }
    const std::string typed = name.text();
    const std::string path =
        apply_save_extension(typed, list, static_cast<int>(request.nFilterIndex));
    remember_data_folder();
    if (path_too_long(path)) {
        ReportError(owner, MessageId::name_too_long);
        return {};
    }
    return may_replace(owner, typed, path) ? path : std::string();
}

std::string ask_save_path(HWND owner, int filter_index) {
    return ask_save_path(owner, filter_list(filter_index));
}

}  // namespace

void open_file_command(HWND frame) {
    const std::string filter = dialog_filter(filter_list(kFilterOpen));
    DialogNameBuffer name;
    OPENFILENAMEA request = dialog_request(frame, filter, name, "Open File");
    request.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NONETWORKBUTTON | OFN_ENABLEHOOK;
    if (!GetOpenFileNameA(&request)) {
        report_dialog_failure(frame);
        return;
    }
    remember_data_folder();
    const std::string path = name.text();
    if (path_too_long(path)) {
        ReportError(frame, MessageId::name_too_long);
        return;
    }
    switch (open_action(file_kind_of(path), file_size(path))) {
        case OpenAction::editor:
            if (HWND editor = CreateEditor()) {
                LoadIntoEditor(path, editor);
            } else {
                ReportError(frame, MessageId::no_memory);
            }
            break;
        case OpenAction::refuse_no_data:
            ReportError(frame, MessageId::no_data);
            break;
        case OpenAction::slide_show:
            OpenSlideShow(frame, path);
            break;
        case OpenAction::screen_image:
            if (file_kind_of(path) == FileKind::bitmap) {
                OpenBitmapFile(frame, path);
            } else {
                OpenPictureFile(frame, path);
            }
            break;
        case OpenAction::refuse_unreadable:
            ReportError(frame, MessageId::cannot_read);
            break;
    }
}

bool save_as_command(HWND owner, HWND document) {
    if (is_slide_show(document)) {
        const std::string path = ask_save_path(owner, kFilterSaveSlideShow);
        return !path.empty() && SaveSlideShowAs(document, path);
    }
    if (is_screen_window(document)) {
        // A screen image is saved as a bitmap file only.
        const std::string path = ask_save_path(owner, kFilterSaveImage);
        return !path.empty() && SaveScreenImage(document, path);
    }
    if (!is_editor(document)) {
        return false;
    }
    // An untitled window holds a program (its name is UNTITLEn.G6P), so it is offered the
    // program filter as a program window is.
    const auto kind = static_cast<FileKind>(editor_kind(document));
    const bool program_or_text =
        kind == FileKind::none || kind == FileKind::program || kind == FileKind::text;
    const std::string path =
        ask_save_path(owner, filter_list(program_or_text ? kFilterSaveProgram : kFilterSaveData));
    return !path.empty() && SaveEditor(path, document, false);
}

}  // namespace travex::win32
