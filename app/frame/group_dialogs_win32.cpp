// Tools > Group Files and Tools > Ungroup Files: the Group File dialog (30000) that collects the
// files, the save dialog of the group file, the Ungroup File dialogs that choose the group
// (30005) and the target folder (30001), and the unpacking with the file-exists question.
// The three dialogs are file dialogs of the classic style on templates of our own, so they
// keep the standard file and folder lists and add what grouping needs.
#include <windows.h>

#include <commdlg.h>

#include <string>

#include "base/dialog_name_buffer.h"
#include "base/file_system.h"
#include "files/group_choice.h"
#include "files/group_file.h"
#include "files/save_as_name.h"
#include "frame/frame_win32.h"
#include "frame/group_dialogs_win32.h"
#include "resources/file_filters.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace travex::win32 {
namespace {

constexpr char kModelDigit = '6';
constexpr int kFilterGroupMembers = 6;
constexpr int kFilterGroupName = 8;
constexpr int kFilterUngroup = 13;
constexpr DWORD kNameBufferLength = 256;

// Controls of the classic file dialog templates.
constexpr int kFileNameBox = 1152;  // edt1
constexpr int kFileList = 1120;     // lst1
constexpr int kFolderList = 1121;   // lst2
constexpr int kFileNameLabel = 1090;
constexpr int kFileTypeLabel = 1089;
constexpr int kFileTypeChoice = 1136;

constexpr int kSelectedList = IDC_SELECTED_FILES;
constexpr int kSelectButton = IDC_SELECT;
constexpr int kSelectAllButton = IDC_SELECT_ALL;
constexpr int kRemoveButton = IDC_REMOVE;
constexpr int kRemoveAllButton = IDC_REMOVE_ALL;

void report(HWND owner, MessageId message) {
    if (message != MessageId::none) {
        ReportError(owner, message);
    }
}

// The file dialogs of the classic style move the process's current folder as the user moves
// through folders; the folder is put back when grouping or ungrouping ends.
class CurrentFolderKeeper {
public:
    CurrentFolderKeeper() {
        char folder[MAX_PATH] = {};
        if (GetCurrentDirectoryA(MAX_PATH, folder) > 0) {
            saved_ = folder;
        }
    }
    ~CurrentFolderKeeper() {
        if (!saved_.empty()) {
            SetCurrentDirectoryA(saved_.c_str());
        }
    }
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

private:
    std::string saved_;
};

std::string current_folder() {
    char folder[MAX_PATH] = {};
    return GetCurrentDirectoryA(MAX_PATH, folder) > 0 ? std::string(folder) : std::string();
}

std::string control_text(HWND dialog, int id) {
    char text[kNameBufferLength + 4] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A typed pattern or folder name is the dialog's own business: it lists other files or moves to
// the folder.
bool names_pattern_or_folder(const std::string& typed) {
    return typed.empty() || group::is_file_pattern(typed) ||
           is_folder(group::chosen_path(current_folder(), typed));
}

void report_dialog_failure(HWND owner) {
    const DWORD error = CommDlgExtendedError();
    if (error != 0) {
        report(owner,
               error == FNERR_BUFFERTOOSMALL ? MessageId::name_too_long : MessageId::cannot_create);
    }
}

OPENFILENAMEA classic_dialog(HWND owner, int template_id, const std::string& filter,
                             const char* title, DialogNameBuffer& name, LPOFNHOOKPROC hook,
                             void* state) {
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = reinterpret_cast<HINSTANCE>(app_state().instance);
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = name.data();
    request.nMaxFile = name.length();
    const std::string& folder = app_state().settings.data_folder;
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrTitle = title;
    request.Flags = OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_NONETWORKBUTTON;
    request.lpTemplateName = MAKEINTRESOURCEA(template_id);
    request.lpfnHook = hook;
    request.lCustData = reinterpret_cast<LPARAM>(state);
    return request;
}

template <typename State>
State* state_of(HWND dialog) {
    return static_cast<State*>(GetPropA(dialog, "TRAVEX.FileDialog"));
}

template <typename State>
void keep_state(HWND dialog, LPARAM l) {
    const auto* request = reinterpret_cast<const OPENFILENAMEA*>(l);
    SetPropA(dialog, "TRAVEX.FileDialog", reinterpret_cast<HANDLE>(request->lCustData));
}

// --- Group File ---------------------------------------------------------------------------------

struct GroupState {
    group::Selection selection;
    bool written = false;
    bool pass_ok = false;  // the next OK is the dialog's own: list a pattern, move to a folder
};

void show_selection(HWND dialog, const GroupState& state) {
    HWND list = GetDlgItem(dialog, kSelectedList);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const group::Selection::Entry& entry : state.selection.entries()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.key.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    const BOOL any = state.selection.empty() ? FALSE : TRUE;
    EnableWindow(GetDlgItem(dialog, kRemoveButton), any);
    EnableWindow(GetDlgItem(dialog, kRemoveAllButton), any);
}

void select_file(HWND dialog, GroupState& state, const std::string& name) {
    if (name.empty() || group::is_file_pattern(name)) {
        return;
    }
    // Only a file that is there can be grouped; a mistyped name is not taken.
    const std::string path = group::chosen_path(current_folder(), name);
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES || is_folder(path)) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    state.selection.add(group::listed_path(current_folder(), name));
    show_selection(dialog, state);
}

void select_all(HWND dialog, GroupState& state) {
    HWND files = GetDlgItem(dialog, kFileList);
    const auto count = SendMessageA(files, LB_GETCOUNT, 0, 0);
    const std::string folder = current_folder();
    for (LRESULT i = 0; i < count; ++i) {
        char name[kNameBufferLength + 4] = {};
        if (SendMessageA(files, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) <
            static_cast<LRESULT>(kNameBufferLength)) {
            SendMessageA(files, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
            state.selection.add(group::listed_path(folder, name));
        }
    }
    show_selection(dialog, state);
}

// The save dialog of the group file; empty when the user cancelled.
std::string ask_group_path(HWND owner) {
    const std::string filter = dialog_filter(filter_list(kFilterGroupName));
    const std::string proposed = group::proposed_group_name(kModelDigit);
    DialogNameBuffer name(proposed);
    const std::string default_extension = proposed.substr(proposed.find('.') + 1);
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = name.data();
    request.nMaxFile = name.length();
    request.lpstrTitle = "Group File";
    request.lpstrDefExt = default_extension.c_str();
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NONETWORKBUTTON;
    if (!GetSaveFileNameA(&request)) {
        report_dialog_failure(owner);
        return {};
    }
    return name.text();
}

// OK with files chosen: the group file's name, then the group itself; the dialog closes only
// once the group is written.
void write_chosen_group(HWND dialog, GroupState& state) {
    if (state.selection.empty()) {
        return;
    }
    const std::string path = ask_group_path(dialog);
    if (path.empty()) {
        return;
    }
    const group::WriteOutcome outcome =
        group::write_group(real_file_system(), path, state.selection);
    if (!outcome.written) {
        report(dialog, outcome.message);
        return;
    }
    state.written = true;
    EndDialog(dialog, FALSE);
}

UINT_PTR CALLBACK group_hook(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        keep_state<GroupState>(dialog, l);
        if (GroupState* state = state_of<GroupState>(dialog)) {
            show_selection(dialog, *state);
        }
        centre_on_screen(dialog);
        return TRUE;
    }
    GroupState* state = state_of<GroupState>(dialog);
    if (state == nullptr) {
        return FALSE;
    }
    if (message == WM_DESTROY) {
        RemovePropA(dialog, "TRAVEX.FileDialog");
        return FALSE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(w)) {
        case kSelectButton: {
            const std::string typed = control_text(dialog, kFileNameBox);
            if (names_pattern_or_folder(typed)) {
                // The dialog lists the files the pattern matches, or moves to the folder.
                state->pass_ok = true;
                SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            } else {
                select_file(dialog, *state, typed);
            }
            return TRUE;
        }
        case kFileList:
            if (HIWORD(w) == LBN_DBLCLK) {
                select_file(dialog, *state, control_text(dialog, kFileNameBox));
                return TRUE;
            }
            return FALSE;
        case kSelectAllButton:
            select_all(dialog, *state);
            return TRUE;
        case kRemoveButton: {
            const auto at = SendDlgItemMessageA(dialog, kSelectedList, LB_GETCURSEL, 0, 0);
            if (at != LB_ERR) {
                state->selection.remove(static_cast<std::size_t>(at));
                show_selection(dialog, *state);
            }
            return TRUE;
        }
        case kRemoveAllButton:
            state->selection.clear();
            show_selection(dialog, *state);
            return TRUE;
        case IDOK:
            if (state->pass_ok) {
                state->pass_ok = false;
                return FALSE;
            }
            if (state->selection.empty()) {
                // Nothing to group: OK only does what the dialog does with a pattern or folder.
                const std::string typed = control_text(dialog, kFileNameBox);
                return !typed.empty() && names_pattern_or_folder(typed) ? FALSE : TRUE;
            }
            write_chosen_group(dialog, *state);
            return TRUE;
        default:
            return FALSE;
    }
}

// --- Ungroup File -------------------------------------------------------------------------------

struct UngroupState {
    std::string group_path;
    std::string folder;
    bool chosen = false;
};

// The first two bytes of a file; empty when it cannot be read.
Bytes file_start(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    Bytes start(2, 0);
    DWORD read = 0;
    if (!ReadFile(file, start.data(), 2, &read, nullptr)) {
        read = 0;
    }
    CloseHandle(file);
    start.resize(read);
    return start;
}

UINT_PTR CALLBACK ungroup_hook(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        keep_state<UngroupState>(dialog, l);
        centre_on_screen(dialog);
        return TRUE;
    }
    UngroupState* state = state_of<UngroupState>(dialog);
    if (state == nullptr || message != WM_COMMAND || LOWORD(w) != IDOK) {
        if (message == WM_DESTROY) {
            RemovePropA(dialog, "TRAVEX.FileDialog");
        }
        return FALSE;
    }
    const std::string typed = control_text(dialog, kFileNameBox);
    if (names_pattern_or_folder(typed)) {
        return FALSE;
    }
    const std::string path = group::chosen_path(current_folder(), typed);
    if (group::check_group_header(file_start(path)) != MessageId::none) {
        report(dialog, MessageId::not_group_file);
        return TRUE;  // the dialog stays open for another choice
    }
    state->group_path = path;
    state->chosen = true;
    return FALSE;  // the dialog ends as for any chosen file
}

UINT_PTR CALLBACK folder_hook(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        keep_state<UngroupState>(dialog, l);
        // Only the folders are chosen here.
        for (int id : {kFileNameBox, kFileList, kFileNameLabel, kFileTypeLabel, kFileTypeChoice}) {
            ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
        }
        centre_on_screen(dialog);
        return TRUE;
    }
    UngroupState* state = state_of<UngroupState>(dialog);
    if (state == nullptr || message != WM_COMMAND || LOWORD(w) != IDOK) {
        if (message == WM_DESTROY) {
            RemovePropA(dialog, "TRAVEX.FileDialog");
        }
        return FALSE;
    }
    // A folder name typed (or sent) into the hidden name box moves there first.
    const std::string typed = control_text(dialog, kFileNameBox);
    if (!typed.empty() && !group::is_file_pattern(typed) &&
        is_folder(group::chosen_path(current_folder(), typed))) {
        return FALSE;
    }
    state->folder = current_folder();
    state->chosen = !state->folder.empty();
    EndDialog(dialog, FALSE);
    return TRUE;
}

// Members whose names would leave the target folder are not unpacked; the user is told which.
void report_refused(HWND owner, const group::UnpackOutcome& outcome) {
    std::string text;
    for (const group::UnpackedMember& member : outcome.members) {
        if (member.outcome == group::MemberOutcome::refused) {
            text += "\r" + member.name + " (" + member.reason + ")";
        }
    }
    if (text.empty()) {
        return;
    }
    text =
        "These files of the group were not unpacked, because their names cannot be used in "
        "the target folder:" +
        text;
    MessageBoxA(owner, text.c_str(), "ZELTA TRAVEX", MB_OK | MB_ICONWARNING | MB_TASKMODAL);
}

}  // namespace

void GroupFilesCommand(HWND frame) {
    CurrentFolderKeeper keeper;
    const std::string filter = dialog_filter(filter_list(kFilterGroupMembers));
    DialogNameBuffer name;
    GroupState state;
    OPENFILENAMEA request =
        classic_dialog(frame, IDD_GROUP_FILE, filter, "Group File", name, group_hook, &state);
    if (!GetOpenFileNameA(&request) && !state.written) {
        report_dialog_failure(frame);
    }
}

void UngroupFilesCommand(HWND frame) {
    UngroupState state;
    {
        CurrentFolderKeeper keeper;
        const std::string filter = dialog_filter(filter_list(kFilterUngroup));
        DialogNameBuffer name;
        OPENFILENAMEA choose_group = classic_dialog(frame, IDD_UNGROUP_FILE, filter, "Ungroup File",
                                                    name, ungroup_hook, &state);
        choose_group.Flags |= OFN_FILEMUSTEXIST;
        if (!GetOpenFileNameA(&choose_group) || !state.chosen) {
            report_dialog_failure(frame);
            return;
        }
        state.chosen = false;
        DialogNameBuffer folder_name;
        OPENFILENAMEA choose_folder = classic_dialog(
            frame, IDD_UNGROUP_FOLDER, filter, "Ungroup File", folder_name, folder_hook, &state);
        GetOpenFileNameA(&choose_folder);
        if (!state.chosen) {
            report_dialog_failure(frame);
            return;
        }
    }
    DialogQuestions question(frame);
    const group::UnpackOutcome outcome =
        group::unpack_group_file(real_file_system(), state.group_path, state.folder, question);
    report(frame, outcome.message);
    report_refused(frame, outcome);
}

}  // namespace travex::win32
