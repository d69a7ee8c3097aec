// The Send Files and Receive Files dialogs: old-style common open dialogs with templates 30010
// and 30011, subclassed to keep a selection list, and carrying timer 601 while files travel.
#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

#include "base/dialog_name_buffer.h"
#include "files/save_as_name.h"
#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "link/send_checks.h"
#include "resources/file_filters.h"
#include "resources/resource_ids.h"

namespace travex::win32 {
namespace {

constexpr int kSendTemplate = IDD_SEND_FILES;
constexpr int kReceiveTemplate = IDD_RECEIVE_FILES;
constexpr int kSendFilter = 11;
constexpr int kReceiveFilter = 9;
constexpr DWORD kNameBufferLength = 256;
// Controls of the common dialog and of the templates.
constexpr int kFileList = 1120;
constexpr int kTypeChoice = 1136;
constexpr int kNameEdit = 1152;
constexpr int kSelectionList = IDC_TRANSFER_SELECTION;
constexpr int kItemList = IDC_RECEIVE_ITEMS;
constexpr int kSendOk = IDC_TRANSFER_ACTION;
constexpr int kReceiveSelect = IDC_TRANSFER_ACTION;
constexpr int kSelectAll = IDC_TRANSFER_SELECT_ALL;
constexpr int kRemove = IDC_TRANSFER_REMOVE;
constexpr int kRemoveAll = IDC_TRANSFER_REMOVE_ALL;
constexpr int kSelect = 1;  // the send dialog's Select, the receive dialog's OK
// The subclassed dialog is handed its old window procedure with these messages.
constexpr UINT kSendSubclassed = WM_USER + 4;
constexpr UINT kReceiveSubclassed = WM_USER + 5;
constexpr UINT kNotTransmittableExtension = 409;
constexpr UINT kSendQuestion = 423;

struct TransferDialog {
    WNDPROC old_procedure = nullptr;
    bool receive = false;
    HFONT font = nullptr;
};
TransferDialog the_dialog;

std::string lower(std::string text) {
    if (!text.empty()) {
        CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

std::string current_folder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

std::string list_text(HWND list, int index) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void update_remove_buttons(HWND dialog) {
    HWND selection = GetDlgItem(dialog, kSelectionList);
    const LRESULT count = SendMessageA(selection, LB_GETCOUNT, 0, 0);
    const LRESULT current = SendMessageA(selection, LB_GETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(dialog, kRemoveAll), count > 0);
    EnableWindow(GetDlgItem(dialog, kRemove), current != LB_ERR);
}

// Adds a line to the selection list unless it is there already; data is kept with the line.
void add_selection(HWND dialog, const std::string& line, LPARAM data) {
    HWND selection = GetDlgItem(dialog, kSelectionList);
    if (SendMessageA(selection, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(line.c_str())) != LB_ERR) {
        return;
    }
    const LRESULT at =
        SendMessageA(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (at >= 0) {
        SendMessageA(selection, LB_SETITEMDATA, static_cast<WPARAM>(at), data);
    }
    EnableWindow(GetDlgItem(dialog, kRemoveAll), TRUE);
}

void remove_selected(HWND dialog) {
    HWND selection = GetDlgItem(dialog, kSelectionList);
    const LRESULT current = SendMessageA(selection, LB_GETCURSEL, 0, 0);
    if (current != LB_ERR) {
        SendMessageA(selection, LB_DELETESTRING, static_cast<WPARAM>(current), 0);
    }
    SetFocus(GetDlgItem(dialog, the_dialog.receive ? kReceiveSelect : kSelect));
    EnableWindow(GetDlgItem(dialog, kRemove), FALSE);
    update_remove_buttons(dialog);
}

void remove_all(HWND dialog) {
    SendDlgItemMessageA(dialog, kSelectionList, LB_RESETCONTENT, 0, 0);
    update_remove_buttons(dialog);
}

// --- Send Files -------------------------------------------------------------------------------

std::string full_path(const std::string& name) {
    std::string folder = current_folder();
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    return lower(folder + name);
}

void take_file(HWND dialog, int index) {
    if (index < 0) {
        return;
    }
    const std::string name = list_text(GetDlgItem(dialog, kFileList), index);
    if (!name.empty()) {
        add_selection(dialog, full_path(name), 0);
    }
}

bool typed_pattern(HWND dialog) {
    char typed[kNameBufferLength] = {};
    GetDlgItemTextA(dialog, kNameEdit, typed, sizeof typed);
    const std::string text = typed;
    return text.find_first_of("*?") != std::string::npos;
}

std::vector<std::string> selection_lines(HWND dialog) {
    HWND selection = GetDlgItem(dialog, kSelectionList);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(selection, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        lines.push_back(list_text(selection, i));
    }
    return lines;
}

void send_ok(HWND dialog) {
    const std::vector<std::string> paths = selection_lines(dialog);
    if (paths.empty()) {
        return;
    }
    const link::SendSelectionCheck check = link::check_send_selection(paths, kModelInForce);
    if (check.result == link::SendSelectionCheck::Result::backup_conflict) {
        ReportError(dialog, MessageId::backup_with_data);
        return;
    }
    if (check.result == link::SendSelectionCheck::Result::bad_extension) {
        std::wstring text = load_string(kNotTransmittableExtension);
        const std::wstring name(check.failing_name.begin(), check.failing_name.end());
        text += name;
        MessageBoxW(dialog, text.c_str(), L"ZELTA TRAVEX", MB_OK | MB_TASKMODAL | MB_ICONASTERISK);
        return;
    }
    if (MessageBoxW(dialog, load_string(kSendQuestion).c_str(), L"ZELTA TRAVEX",
                    MB_OKCANCEL | MB_TASKMODAL | MB_ICONWARNING) != IDOK) {
        return;
    }
    StartSending(dialog, paths);
}

bool send_command(HWND dialog, WPARAM w) {
    const int id = LOWORD(w);
    const int code = HIWORD(w);
    switch (id) {
        case kSelect:
            if (typed_pattern(dialog)) {
                return false;  // the common dialog applies the typed pattern
            }
            take_file(dialog,
                      static_cast<int>(SendDlgItemMessageA(dialog, kFileList, LB_GETCURSEL, 0, 0)));
            return true;
        case kFileList:
            if (code == LBN_DBLCLK) {
                take_file(dialog, static_cast<int>(
                                      SendDlgItemMessageA(dialog, kFileList, LB_GETCURSEL, 0, 0)));
                return true;
            }
            return false;
        case kSelectAll: {
            const LRESULT count = SendDlgItemMessageA(dialog, kFileList, LB_GETCOUNT, 0, 0);
            for (int i = 0; i < count; ++i) {
                take_file(dialog, i);
            }
            return true;
        }
        case kSendOk:
            send_ok(dialog);
            return true;
        default:
            return false;
    }
}

// --- Receive Files ----------------------------------------------------------------------------

void fill_item_list(HWND dialog) {
    HWND list = GetDlgItem(dialog, kItemList);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const LRESULT choice = SendDlgItemMessageA(dialog, kTypeChoice, CB_GETCURSEL, 0, 0);
    const std::vector<std::string> lines = receive_item_lines();
    for (const int index :
         receive_items_of_category(choice == CB_ERR ? 0 : static_cast<int>(choice))) {
        const LRESULT at =
            SendMessageA(list, LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(lines[static_cast<std::size_t>(index)].c_str()));
        if (at >= 0) {
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), index);
        }
    }
}

void take_item(HWND dialog, int position) {
    HWND list = GetDlgItem(dialog, kItemList);
    if (position < 0) {
        return;
    }
    const LRESULT index = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(position), 0);
    if (index == LB_ERR) {
        return;
    }
    add_selection(dialog, list_text(list, position), index);
}

void receive_ok(HWND dialog) {
    HWND selection = GetDlgItem(dialog, kSelectionList);
    const LRESULT count = SendMessageA(selection, LB_GETCOUNT, 0, 0);
    if (count <= 0) {
        return;
    }
    std::vector<int> indexes;
    for (int i = 0; i < count; ++i) {
        indexes.push_back(
            static_cast<int>(SendMessageA(selection, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    }
    StartReceiving(dialog, indexes, current_folder());
}

bool receive_command(HWND dialog, WPARAM w) {
    const int id = LOWORD(w);
    const int code = HIWORD(w);
    switch (id) {
        case kSelect:
            receive_ok(dialog);
            return true;
        case kNameEdit:
            if (code == EN_UPDATE) {
                fill_item_list(dialog);
            }
            return false;
        case kReceiveSelect:
            take_item(dialog,
                      static_cast<int>(SendDlgItemMessageA(dialog, kItemList, LB_GETCURSEL, 0, 0)));
            return true;
        case kItemList:
            if (code == LBN_DBLCLK) {
                take_item(dialog, static_cast<int>(
                                      SendDlgItemMessageA(dialog, kItemList, LB_GETCURSEL, 0, 0)));
            }
            return true;
        case kSelectAll: {
            const LRESULT count = SendDlgItemMessageA(dialog, kItemList, LB_GETCOUNT, 0, 0);
            for (int i = 0; i < count; ++i) {
                take_item(dialog, i);
            }
            return true;
        }
        default:
            return false;
    }
}

// --- both -------------------------------------------------------------------------------------

LRESULT CALLBACK transfer_subclass(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case kSendSubclassed:
        case kReceiveSubclassed: {
            the_dialog.old_procedure = reinterpret_cast<WNDPROC>(l);
            if (the_dialog.font == nullptr) {
                the_dialog.font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                              OEM_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                              DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Terminal");
            }
            for (const int id : {kSelectionList, kItemList}) {
                if (HWND list = GetDlgItem(dialog, id)) {
                    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(the_dialog.font), TRUE);
                }
            }
            transfer_dialog_opened(dialog);
            update_remove_buttons(dialog);
            if (message == kReceiveSubclassed) {
                fill_item_list(dialog);
            }
            return 0;
        }
        case WM_TIMER:
            if (w == kLinkTimer) {
                HandleLinkTimer(dialog);
                return 0;
            }
            break;
        case WM_COMMAND: {
            const int id = LOWORD(w);
            if (id == IDABORT) {
                // The flow is done (or stopped): the dialog closes as if cancelled.
                EnableWindow(dialog, TRUE);
                return CallWindowProcA(the_dialog.old_procedure, dialog, WM_COMMAND,
                                       MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            }
            if (id == kSelectionList) {
                if (HIWORD(w) == LBN_SELCHANGE) {
                    EnableWindow(GetDlgItem(dialog, kRemove), TRUE);
                }
                return 0;
            }
            if (id == kRemove) {
                remove_selected(dialog);
                return 0;
            }
            if (id == kRemoveAll) {
                remove_all(dialog);
                return 0;
            }
            const bool handled =
                the_dialog.receive ? receive_command(dialog, w) : send_command(dialog, w);
            if (handled) {
                return 0;
            }
            break;
        }
        case WM_DESTROY:
            KillTimer(dialog, kLinkTimer);
            break;
        default:
            break;
    }
    return CallWindowProcA(the_dialog.old_procedure, dialog, message, w, l);
}

UINT_PTR CALLBACK transfer_hook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        const auto old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(transfer_subclass)));
        the_dialog.old_procedure = old;
        SendMessageA(dialog, the_dialog.receive ? kReceiveSubclassed : kSendSubclassed, 0,
                     reinterpret_cast<LPARAM>(old));
        return TRUE;
    }
    return FALSE;
}

void run_transfer_dialog(HWND frame, bool receive) {
    the_dialog.receive = receive;
    the_dialog.old_procedure = nullptr;
    const std::string filter = dialog_filter(filter_list(receive ? kReceiveFilter : kSendFilter));
    DialogNameBuffer name;
    const std::string folder = app_state().settings.data_folder;
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = frame;
    request.hInstance = app_state().instance;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = name.data();
    request.nMaxFile = name.length();
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrTitle = receive ? "Receive Files" : "Send Files";
    request.Flags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_NONETWORKBUTTON;
    request.lpfnHook = transfer_hook;
    request.lpTemplateName = MAKEINTRESOURCEA(receive ? kReceiveTemplate : kSendTemplate);
    const BOOL chosen = GetOpenFileNameA(&request);
    transfer_dialog_closed();
    if (!folder.empty()) {
        SetCurrentDirectoryA(folder.c_str());
    }
    if (!chosen) {
        const DWORD error = CommDlgExtendedError();
        if (error == FNERR_BUFFERTOOSMALL) {
            ReportError(frame, MessageId::name_too_long);
        } else if (error != 0) {
            ReportError(frame, MessageId::cannot_create);
        }
    }
}

}  // namespace

void RunSendFilesDialog(HWND frame) {
    run_transfer_dialog(frame, false);
}

void RunReceiveFilesDialog(HWND frame) {
    run_transfer_dialog(frame, true);
}

}  // namespace travex::win32
