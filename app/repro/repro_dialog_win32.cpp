// Dialog 162 "Repro" and the progress dialog 164: the firmware update's window side. The
// checks and the transfer run on two worker threads, one after the other, which talk to the
// dialog only through WM_COMMAND messages 51001-51006; the dialog thread never touches the port.
#include <windows.h>
//
#include <commctrl.h>
#include <commdlg.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "base/dialog_name_buffer.h"
#include "base/file_system.h"
#include "files/calc_file.h"
#include "link/real_clock.h"
#include "link/serial_port_win32.h"
#include "repro/firmware_image.h"
#include "repro/firmware_transfer.h"
#include "repro/repro_dialog_ids.h"
#include "repro/repro_settings.h"
#include "repro/repro_win32.h"
#include "settings/profile_store_win32.h"

namespace travex::win32 {
namespace {

using namespace travex::repro;

constexpr int kReproDialog = IDD_REPRO;
constexpr int kProgressDialog = IDD_REPRO_PROGRESS;
constexpr int kImagePathEdit = IDC_REPRO_IMAGE;
constexpr int kBrowseButton = IDC_REPRO_BROWSE;
constexpr int kProgressBar = IDC_REPRO_PROGRESS;

// Worker-to-dialog messages (WM_COMMAND identifiers; lParam carries the value).
constexpr WORD kValidationEnded = 51001;
constexpr WORD kTransferEnded = 51002;
constexpr WORD kOpenProgress = 51003;
constexpr WORD kCloseProgress = 51004;
constexpr WORD kLargePageSent = 51005;
constexpr WORD kTransferResult = 51006;
// To the progress dialog: one step, or the bar full.
constexpr LPARAM kProgressStep = 1;
constexpr LPARAM kProgressFull = 10000;

constexpr DWORD kNameTooLongError = 12291;  // FNERR_BUFFERTOOSMALL

// What one opening of dialog 162 holds. The settings and the image are fixed before the
// transfer worker starts and only read while it runs.
struct ReproSession {
    HWND dialog = nullptr;
    ReportFunction report = nullptr;
    std::string ini_path;
    ReproSettings settings;
    int port_number = 1;
    std::optional<CheckedImage> image;
    HANDLE validation = nullptr;
    HWND progress = nullptr;
    std::atomic<bool> done{true};
};

std::unique_ptr<ReproSession>& session() {
    static std::unique_ptr<ReproSession> current;
    return current;
}

// repro.ini beside the application's settings file, or in the current folder.
std::string repro_ini_path() {
    if (const auto settings = win32_settings_path()) {
        const std::size_t slash = settings->find_last_of('\\');
        if (slash != std::string::npos) {
            return settings->substr(0, slash + 1) + std::string(kReproFileName);
        }
    }
    return ".\\" + std::string(kReproFileName);
}

UINT icon_flag(repro::MessageIcon icon) {
    switch (icon) {
        case repro::MessageIcon::stop:
            return MB_ICONSTOP;
        case repro::MessageIcon::exclamation:
            return MB_ICONEXCLAMATION;
        case repro::MessageIcon::information:
            return MB_ICONINFORMATION;
        case repro::MessageIcon::none:
            break;
    }
    return 0;
}

int show(HWND owner, const ReproMessage& message, UINT buttons = MB_OK) {
    return MessageBoxA(owner, message.text.c_str(), std::string(message.title).c_str(),
                       buttons | MB_TASKMODAL | icon_flag(message.icon));
}

// Large pages become steps of the progress bar.
class PostingObserver final : public TransferObserver {
public:
    explicit PostingObserver(HWND dialog) : dialog_(dialog) {}
    void on_progress_step() override { PostMessageA(dialog_, WM_COMMAND, kLargePageSent, 0); }

private:
    HWND dialog_;
};

DWORD WINAPI transfer_worker(void* parameter) {
    HWND dialog = static_cast<HWND>(parameter);
    ReproSession& s = *session();
    Win32SerialPort port;
    PostingObserver observer(dialog);
    FirmwareTransfer transfer(port, real_clock(), s.settings, *s.image, s.port_number, &observer);
    const TransferReport report = transfer.run();
    SendMessageA(dialog, WM_COMMAND, kTransferResult, static_cast<LPARAM>(report.result));
    PostMessageA(dialog, WM_COMMAND, kTransferEnded, 0);
    return report.result == TransferResult::finished ? 1 : 0;
}

DWORD WINAPI validation_worker(void* parameter) {
    HWND dialog = static_cast<HWND>(parameter);
    ReproSession& s = *session();
    auto end = [dialog](DWORD code) {
        PostMessageA(dialog, WM_COMMAND, kValidationEnded, 0);
        return code;
    };
    // Settings that cannot be sent are refused before the image is even opened.
    if (const auto problem = settings_problem(s.settings)) {
        show(nullptr, *problem);
        return end(0);
    }
    ImageCheck check =
        check_firmware_image(real_file_system(), s.settings.bin_file, flash_layout(s.settings));
    if (!check.image) {
        show(nullptr, check.failure);
        return end(0);
    }
    const ReproMessage question{std::string(kConfirmText), kProductTitle, repro::MessageIcon::none};
    if (show(nullptr, question, MB_OKCANCEL) != IDOK) {
        return end(0);
    }
    s.image = std::move(check.image);
    PostMessageA(dialog, WM_COMMAND, kOpenProgress, 0);
    s.done = false;
    HANDLE transfer = CreateThread(nullptr, 0, transfer_worker, dialog, 0, nullptr);
    if (transfer == nullptr) {
        SendMessageA(dialog, WM_COMMAND, kTransferResult,
                     static_cast<LPARAM>(TransferResult::no_response));
    } else {
        DWORD code = STILL_ACTIVE;
        while (GetExitCodeThread(transfer, &code) && code == STILL_ACTIVE) {
            Sleep(100);
        }
        CloseHandle(transfer);
    }
    s.image.reset();
    PostMessageA(dialog, WM_COMMAND, kCloseProgress, 0);
    s.done = true;
    return end(1);
}

INT_PTR CALLBACK progress_procedure(HWND window, UINT message, WPARAM, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG: {
            // Below the Repro dialog, so that both stay in sight.
            RECT owner{};
            if (GetWindowRect(GetWindow(window, GW_OWNER), &owner)) {
                SetWindowPos(window, nullptr, owner.left, owner.bottom + 8, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            HWND bar = GetDlgItem(window, kProgressBar);
            SendMessageA(bar, PBM_SETRANGE32, 0, 10000);
            SendMessageA(bar, PBM_SETPOS, 0, 0);
            SendMessageA(bar, PBM_SETSTEP,
                         static_cast<WPARAM>(progress_step(flash_layout(session()->settings))), 0);
            return TRUE;
        }
        case WM_COMMAND:
            if (l == kProgressStep) {
                SendDlgItemMessageA(window, kProgressBar, PBM_STEPIT, 0, 0);
            } else if (l == kProgressFull) {
                SendDlgItemMessageA(window, kProgressBar, PBM_SETPOS, 10000, 0);
            }
            return TRUE;
        case WM_CLOSE:
            if (session() && session()->done) {
                DestroyWindow(window);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

void show_result(ReproSession& s, TransferResult result) {
    if (s.progress != nullptr) {
        EnableWindow(s.progress, FALSE);
    }
    if (result == TransferResult::finished && s.progress != nullptr) {
        SendMessageA(s.progress, WM_COMMAND, 0, kProgressFull);
        UpdateWindow(s.progress);
        Sleep(500);
    }
    show(s.dialog, result_message(result));
    if (s.progress != nullptr) {
        EnableWindow(s.progress, TRUE);
    }
}

void choose_image(ReproSession& s) {
    DialogNameBuffer name;
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = s.dialog;
    request.lpstrFilter = "BinaryFile(*.bin)\0*.bin\0";
    request.nFilterIndex = 1;
    request.lpstrFile = name.data();
    request.nMaxFile = name.length();
    request.lpstrInitialDir = s.settings.bin_file.empty() ? nullptr : s.settings.bin_file.c_str();
    request.lpstrTitle = "Open File";
    request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameA(&request)) {
        const DWORD error = CommDlgExtendedError();
        if (error == kNameTooLongError) {
            s.report(s.dialog, MessageId::name_too_long);
        } else if (error != 0) {
            s.report(s.dialog, MessageId::cannot_create);
        }
        return;
    }
    const std::string path = name.text();
    // A path of 256 characters or more is refused here as the application refuses it elsewhere.
    if (path_too_long(path)) {
        s.report(s.dialog, MessageId::name_too_long);
        return;
    }
    s.settings.bin_file = path;
    SetDlgItemTextA(s.dialog, kImagePathEdit, path.c_str());
    Win32ProfileStore store(s.ini_path);
    write_repro_settings(store, s.settings);
}

void start_update(ReproSession& s) {
    EnableWindow(s.dialog, FALSE);
    s.validation = CreateThread(nullptr, 0, validation_worker, s.dialog, 0, nullptr);
    if (s.validation == nullptr) {
        EnableWindow(s.dialog, TRUE);
    }
}

void validation_ended(ReproSession& s) {
    EnableWindow(s.dialog, TRUE);
    if (s.validation != nullptr) {
        DWORD code = STILL_ACTIVE;
        while (GetExitCodeThread(s.validation, &code) && code == STILL_ACTIVE) {
            Sleep(1);
        }
        CloseHandle(s.validation);
        s.validation = nullptr;
    }
    SetForegroundWindow(s.dialog);
}

// What ShowReproDialog hands the dialog when it opens.
struct OpeningArguments {
    int port_number;
    ReportFunction report;
};

bool open_session(HWND dialog, const OpeningArguments& arguments) {
    auto s = std::make_unique<ReproSession>();
    s->dialog = dialog;
    s->port_number = arguments.port_number;
    s->report = arguments.report;
    s->ini_path = repro_ini_path();
    Win32ProfileStore store(s->ini_path);
    const LoadedReproSettings loaded = load_repro_settings(store);
    if (loaded.outcome != LoadOutcome::ok) {
        const std::string text(kInitErrorText);
        MessageBoxA(dialog, text.c_str(), text.c_str(), MB_OK);
        return false;
    }
    s->settings = loaded.settings;
    SetDlgItemTextA(dialog, kImagePathEdit, s->settings.bin_file.c_str());
    session() = std::move(s);
    return true;
}

INT_PTR CALLBACK repro_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            if (!open_session(window, *reinterpret_cast<const OpeningArguments*>(l))) {
                EndDialog(window, 0);
            }
            return TRUE;
        case WM_COMMAND:
            break;
        case WM_CLOSE:
            if (IsWindowEnabled(window)) {
                EndDialog(window, 0);
            }
            return TRUE;
        case WM_DESTROY:
            if (session() && session()->validation != nullptr) {
                CloseHandle(session()->validation);
                session()->validation = nullptr;
            }
            return FALSE;
        default:
            return FALSE;
    }
    if (!session()) {
        return FALSE;
    }
    ReproSession& s = *session();
    switch (LOWORD(w)) {
        case IDOK:
            start_update(s);
            return TRUE;
        case kBrowseButton:
            choose_image(s);
            return TRUE;
        case IDCANCEL:
            EndDialog(window, 0);
            return TRUE;
        case kValidationEnded:
            validation_ended(s);
            return TRUE;
        case kOpenProgress:
            s.progress =
                CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kProgressDialog),
                                   window, progress_procedure, 0);
            if (s.progress != nullptr) {
                ShowWindow(s.progress, SW_SHOW);
            }
            return TRUE;
        case kCloseProgress:
            if (s.progress != nullptr) {
                DestroyWindow(s.progress);
                s.progress = nullptr;
            }
            return TRUE;
        case kLargePageSent:
            if (s.progress != nullptr) {
                PostMessageA(s.progress, WM_COMMAND, 0, kProgressStep);
            }
            return TRUE;
        case kTransferResult:
            show_result(s, static_cast<TransferResult>(static_cast<int>(l)));
            return TRUE;
        case kTransferEnded:
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void ShowReproDialog(HWND owner, int port_number, ReportFunction report) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const OpeningArguments arguments{port_number, report};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kReproDialog), owner,
                    repro_procedure, reinterpret_cast<LPARAM>(&arguments));
    session().reset();
}

}  // namespace travex::win32
