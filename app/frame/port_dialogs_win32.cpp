// The Communication Port dialog (161) with the serial ports the system knows, and its Auto
// Setting (163), which probes the ports one after another with the link hello until the
// calculator answers.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "link/port_probe.h"
#include "resources/resource_ids.h"
#include "settings/profile_store_win32.h"
#include "settings/settings.h"

namespace travex::win32 {

void link_request_abort(bool rewrite_steps);

namespace {

constexpr int kPortDialog = IDD_COMMUNICATION_PORT;
constexpr int kAutoDialog = IDD_AUTO_SETTING;
constexpr int kPortCombo = 1013;
constexpr int kAutoButton = 1014;
constexpr int kPortOk = 1018;
constexpr int kProgressBar = 1017;
constexpr int kAutoCancel = 1020;
constexpr UINT kConnectQuestion = 425;

struct PortDialogs {
    HWND port_dialog = nullptr;
    HWND auto_dialog = nullptr;
    std::vector<int> probe_list;
    std::unique_ptr<PortProbe> probe;
    bool done = false;
    bool cancelled = false;
};
PortDialogs dialogs;

int current_port_number() {
    const int index = app_state().settings.port_index;
    return index < 0 ? 1 : index + 1;
}

void set_port_number(int number) {
    app_state().settings.port_index = number - 1;
}

void write_port_number() {
    Win32ProfileStore store(settings_path());
    write_port_setting(store, app_state().settings.port_index);
}

std::vector<int> system_ports() {
    std::vector<int> ports;
    for (const SerialDevice& device : system_serial_devices()) {
        ports.push_back(device.number);
    }
    return ports;
}

std::string port_text(int number) {
    return "COM" + std::to_string(number);
}

void update_ok(HWND dialog) {
    const bool selected = SendDlgItemMessageA(dialog, kPortCombo, CB_GETCURSEL, 0, 0) != CB_ERR;
    EnableWindow(GetDlgItem(dialog, kPortOk), selected);
}

// The selected entry's port number, 0 for none.
int selected_port(HWND dialog) {
    HWND combo = GetDlgItem(dialog, kPortCombo);
    const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR) {
        return 0;
    }
    char text[32] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
    return port_number_of_device_name(text).value_or(0);
}

// Every usable port of the system, ascending; the selection stays on the same port.
void fill_port_list(HWND dialog) {
    const int selected = selected_port(dialog);
    HWND combo = GetDlgItem(dialog, kPortCombo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const int number : system_ports()) {
        const std::string text = port_text(number);
        const LRESULT at =
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (number == selected) {
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        }
    }
}

void initialise_port_dialog(HWND dialog) {
    Win32ProfileStore store(settings_path());
    app_state().settings.port_index = read_port_setting(store);
    EnableWindow(app_state().frame, FALSE);
    HWND combo = GetDlgItem(dialog, kPortCombo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const std::vector<int> ports = system_ports();
    if (const auto shown = displayed_port(ports, current_port_number())) {
        const std::string text = port_text(*shown);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    }
    update_ok(dialog);
}

void auto_setting(HWND dialog) {
    EnableWindow(dialog, FALSE);
    if (MessageBoxW(dialog, load_string(kConnectQuestion).c_str(), L"ZELTA TRAVEX",
                    MB_OKCANCEL | MB_TASKMODAL | MB_ICONWARNING) != IDOK) {
        EnableWindow(dialog, TRUE);
        return;
    }
    fill_port_list(dialog);
    HWND combo = GetDlgItem(dialog, kPortCombo);
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    if (count <= 0) {
        ReportError(dialog, MessageId::no_response);
        EnableWindow(dialog, TRUE);
        return;
    }
    dialogs.probe_list.clear();
    for (int i = 0; i < count; ++i) {
        char text[32] = {};
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        if (const auto number = port_number_of_device_name(text)) {
            dialogs.probe_list.push_back(*number);
        }
    }
    EnableWindow(GetDlgItem(dialog, kPortOk), FALSE);
    EnableWindow(dialog, TRUE);
    DialogBoxParamA(
        app_state().instance, MAKEINTRESOURCEA(kAutoDialog), dialog,
        [](HWND auto_dialog, UINT message, WPARAM w, LPARAM) -> INT_PTR {
            switch (message) {
                case WM_INITDIALOG: {
                    dialogs.auto_dialog = auto_dialog;
                    dialogs.done = false;
                    dialogs.cancelled = false;
                    const int ports = static_cast<int>(dialogs.probe_list.size());
                    SendDlgItemMessageA(auto_dialog, kProgressBar, PBM_SETRANGE, 0,
                                        MAKELPARAM(0, kProbeProgressRange));
                    SendDlgItemMessageA(auto_dialog, kProgressBar, PBM_SETPOS, 0, 0);
                    SendDlgItemMessageA(auto_dialog, kProgressBar, PBM_SETSTEP,
                                        static_cast<WPARAM>(kProbeProgressRange / ports / 35), 0);
                    SendMessageA(app_state().frame, WM_COMMAND, kAutoSettingCommand, 0);
                    return TRUE;
                }
                case WM_COMMAND:
                    if (LOWORD(w) == kAutoCancel || LOWORD(w) == IDCANCEL) {
                        if (!dialogs.done) {
                            // The probe of the current port stops; its result
                            // ends the search with the no-response message.
                            dialogs.cancelled = true;
                            link_request_abort(false);
                        }
                        return TRUE;
                    }
                    break;
                case WM_DESTROY:
                    dialogs.auto_dialog = nullptr;
                    break;
                default:
                    break;
            }
            return FALSE;
        },
        0);
}

INT_PTR CALLBACK port_dialog_procedure(HWND dialog, UINT message, WPARAM w, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            dialogs.port_dialog = dialog;
            initialise_port_dialog(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case kPortCombo:
                    if (HIWORD(w) == CBN_DROPDOWN) {
                        fill_port_list(dialog);
                    }
                    update_ok(dialog);
                    return TRUE;
                case kPortOk:
                    if (const int number = selected_port(dialog)) {
                        set_port_number(number);
                        write_port_number();
                    }
                    EnableWindow(app_state().frame, TRUE);
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EnableWindow(app_state().frame, TRUE);
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case kAutoButton:
                    auto_setting(dialog);
                    return TRUE;
                default:
                    break;
            }
            break;
        case WM_DESTROY:
            dialogs.port_dialog = nullptr;
            break;
        default:
            break;
    }
    return FALSE;
}

void set_progress(int position) {
    if (dialogs.auto_dialog != nullptr) {
        SendDlgItemMessageA(dialogs.auto_dialog, kProgressBar, PBM_SETPOS,
                            static_cast<WPARAM>(position), 0);
        UpdateWindow(dialogs.auto_dialog);
    }
}

}  // namespace

void RunCommunicationPortDialog(HWND frame) {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
    EnableWindow(frame, FALSE);
    DialogBoxParamA(app_state().instance, MAKEINTRESOURCEA(kPortDialog), frame,
                    port_dialog_procedure, 0);
    EnableWindow(frame, TRUE);
}

void AutoSettingCommand(HWND frame) {
    if (dialogs.probe_list.empty()) {
        return;
    }
    const int saved = current_port_number();
    dialogs.probe = std::make_unique<PortProbe>(dialogs.probe_list, saved);
    set_port_number(dialogs.probe->current_port());
    StartLinkOperation(frame, link::LinkOperation::probe);
}

void AutoSettingResult(HWND frame, WPARAM, LPARAM l) {
    if (!dialogs.probe || dialogs.done) {
        return;
    }
    if (l == 0) {
        set_progress(kProbeProgressRange);
        Sleep(500);
        dialogs.done = true;
        if (dialogs.auto_dialog != nullptr) {
            EndDialog(dialogs.auto_dialog, IDOK);
        }
        Sleep(100);
        write_port_number();
        if (dialogs.port_dialog != nullptr) {
            EnableWindow(frame, TRUE);
            EndDialog(dialogs.port_dialog, IDOK);
        }
        return;
    }
    const PortProbe::Next next = dialogs.probe->report(false, dialogs.cancelled);
    if (next == PortProbe::Next::probe) {
        set_progress(dialogs.probe->progress());
        set_port_number(dialogs.probe->current_port());
        StartLinkOperation(frame, link::LinkOperation::probe);
        return;
    }
    if (!dialogs.cancelled) {
        set_progress(kProbeProgressRange);
        Sleep(500);
    }
    // No port answered: the port in force before the search is back (the file keeps it too).
    set_port_number(dialogs.probe->port_in_force());
    EnableWindow(dialogs.auto_dialog, FALSE);
    EnableWindow(dialogs.port_dialog, FALSE);
    ReportError(frame, MessageId::no_response);
    EnableWindow(dialogs.auto_dialog, TRUE);
    EnableWindow(dialogs.port_dialog, TRUE);
    dialogs.done = true;
    if (dialogs.auto_dialog != nullptr) {
        EndDialog(dialogs.auto_dialog, IDCANCEL);
    }
    if (dialogs.port_dialog != nullptr) {
        initialise_port_dialog(dialogs.port_dialog);
    }
}

void AutoSettingStep() {
    if (dialogs.auto_dialog != nullptr) {
        SendDlgItemMessageA(dialogs.auto_dialog, kProgressBar, PBM_STEPIT, 0, 0);
    }
}

}  // namespace travex::win32
