// Link operations of the frame: Start(kind) opens the port of the setting, disables the frame
// and arms timer 601; every tick runs the portable link engine and its send and receive flow,
// and the timer moves to the Send Files or Receive Files dialog while files travel there.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "base/file_system.h"
#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "link/link_session.h"
#include "link/real_clock.h"
#include "link/serial_port_win32.h"
#include "link/trace_file.h"
#include "link/tracing_port.h"

namespace travex::win32 {
namespace {

// What the flow asks and tells on the way, as dialogs and messages of the application.
class AppLinkUi final : public FileQuestions, public link::LinkHost {
public:
    OverwriteAnswer ask_overwrite(std::string_view path) override {
        const OverwriteAnswer answer = DialogQuestions(owner()).ask_overwrite(path);
        raise_progress_window();
        return answer;
    }
    SkipAnswer ask_skip(MessageId message, std::string_view path) override {
        const SkipAnswer answer = DialogQuestions(owner()).ask_skip(message, path);
        raise_progress_window();
        return answer;
    }
    void report(MessageId message) override;
    void run_dialog(link::LinkOperation op) override {
        if (op == link::LinkOperation::send) {
            RunSendFilesDialog(app_state().frame);
        } else if (op == link::LinkOperation::receive) {
            RunReceiveFilesDialog(app_state().frame);
        }
    }
    void window_enabled() override;
    void captured(const Bytes& screen) override;
    void probe_answered() override {
        PostMessageA(app_state().frame, kAutoSettingResultMessage, 0, 0);
    }
    void probe_step() override { AutoSettingStep(); }

private:
    static HWND owner() {
        HWND dialog = transfer_dialog();
        return dialog != nullptr ? dialog : app_state().frame;
    }
};

struct LinkShell {
    Win32SerialPort port;
    // With a LinkTrace file in the settings, every operation of the run goes through the wire
    // trace into that file (emptied by the first operation).
    std::unique_ptr<link::TraceFile> trace_file;
    std::unique_ptr<link::TracingPort> tracing;
    AppLinkUi ui;
    std::unique_ptr<link::LinkSession> session;
    // The session of the previous operation, kept until the next one starts: an operation may
    // end inside a call that the session itself is still in.
    std::unique_ptr<link::LinkSession> retired;
    link::LinkOperation kind = link::LinkOperation::none;
    HWND dialog = nullptr;  // the transfer dialog while it is open
    bool close_posted = false;
    // A Link command given while the previous operation still says goodbye (the frame is the
    // user's again once the transfer dialog has closed): it starts when the goodbye is over.
    link::LinkOperation waiting = link::LinkOperation::none;
};

LinkShell& shell() {
    static LinkShell instance;
    return instance;
}

// The port the operations use: the serial port, or the wire trace around it.
SerialPort& link_port() {
    LinkShell& link = shell();
    if (!link.tracing && !link.trace_file && !app_state().settings.link_trace.empty()) {
        link.trace_file = link::TraceFile::create(app_state().settings.link_trace);
        if (link.trace_file) {
            link.tracing =
                std::make_unique<link::TracingPort>(link.port, real_clock(), *link.trace_file);
        }
    }
    if (link.tracing) {
        return *link.tracing;
    }
    return link.port;
}

link::LinkSettings link_settings() {
    const Settings& s = app_state().settings;
    link::LinkSettings settings;
    settings.timer_interval_ms = s.timer_interval_ms > 0 ? s.timer_interval_ms : 100;
    settings.retry_count = s.retry_count;
    settings.out_buffer = s.out_buffer;
    settings.port_number = s.port_index < 0 ? 1 : s.port_index + 1;
    settings.model_code = kModelInForce;
    return settings;
}

// The window that carries timer 601: the transfer dialog while files travel, else the frame.
HWND timer_window() {
    LinkShell& link = shell();
    const link::LinkOperation op =
        link.session ? link.session->engine().operation() : link::LinkOperation::none;
    if (link.dialog != nullptr &&
        (op == link::LinkOperation::send_files || op == link::LinkOperation::receive_items)) {
        return link.dialog;
    }
    return app_state().frame;
}

void arm_timer(HWND window) {
    const UINT interval = static_cast<UINT>(link_settings().timer_interval_ms);
    if (SetTimer(window, kLinkTimer, interval, nullptr) == 0) {
        EnableWindow(window, TRUE);
    }
}

// After every call into the engine: a close of the transfer dialog that the flow asked for is
// posted to it, the timer is armed again while the operation goes on, and an operation that
// has ended gives the frame back.
void after_engine_call() {
    LinkShell& link = shell();
    if (!link.session) {
        return;
    }
    link::LinkEngine& engine = link.session->engine();
    if (engine.dialog_close_posted() && link.dialog != nullptr && !link.close_posted) {
        link.close_posted = true;
        PostMessageA(link.dialog, WM_COMMAND, IDABORT, 0);
    }
    if (engine.timer_armed()) {
        arm_timer(timer_window());
        return;
    }
    if (link.dialog == nullptr && !engine.dialog_close_posted()) {
        // The operation is over: nothing may keep the port, and the frame is the user's
        // again (during an auto setting the port dialogs keep it disabled themselves).
        if (link.port.is_open()) {
            link_port().CloseLinkPort();
        }
        if (link.kind != link::LinkOperation::probe) {
            EnableWindow(app_state().frame, TRUE);
        }
        link.kind = link::LinkOperation::none;
        const link::LinkOperation next = std::exchange(link.waiting, link::LinkOperation::none);
        if (next != link::LinkOperation::none && IsWindow(app_state().frame)) {
            StartLinkOperation(app_state().frame, next);
        }
    }
}

// The operation has done its work and only its goodbye is left to go out.
bool saying_goodbye() {
    LinkShell& link = shell();
    return link.session && link.dialog == nullptr &&
           link.session->engine().operation() == link::LinkOperation::closing;
}

void AppLinkUi::report(MessageId message) {
    if (shell().kind == link::LinkOperation::probe) {
        // During an auto setting a failed port is the next port's cue, never a message.
        PostMessageA(app_state().frame, kAutoSettingResultMessage,
                     static_cast<WPARAM>(message_index(message)), 1);
        return;
    }
    if (message == MessageId::user_abort || message == MessageId::none) {
        return;
    }
    // The goodbye after a failed transfer meets the same broken line again: the user was told
    // once already.
    link::LinkSession& session = *shell().session;
    if (session.engine().operation() == link::LinkOperation::closing && !session.outcome().ok) {
        return;
    }
    ReportError(owner(), message);
    raise_progress_window();
}

void AppLinkUi::window_enabled() {
    if (shell().kind != link::LinkOperation::probe) {
        EnableWindow(timer_window(), TRUE);
    }
}

void AppLinkUi::captured(const Bytes& screen) {
    const link::ItemName& info = shell().session->engine().current_name();
    const std::uint8_t identifier[2] = {info[0], info[1]};
    if (!OpenCapturedScreen(screen, identifier)) {
        ReportError(app_state().frame, MessageId::no_memory);
    }
}

}  // namespace

std::uint64_t LinkTransferTime() {
    return shell().session ? shell().session->transfer_ms() : 0;
}

bool LinkBusy() {
    LinkShell& link = shell();
    return link.session &&
           (link.session->engine().timer_armed() || link.port.is_open() || link.dialog != nullptr);
}

void link_request_abort(bool rewrite_steps) {
    if (shell().session) {
        shell().session->engine().request_abort(rewrite_steps);
    }
}

void StartLinkOperation(HWND frame, link::LinkOperation op) {
    LinkShell& link = shell();
    if (LinkBusy()) {
        // No command is lost: one given during a goodbye follows it; any other finds the port
        // held by the operation that runs.
        if (saying_goodbye() && link.waiting == link::LinkOperation::none) {
            link.waiting = op;
        } else if (op == link::LinkOperation::probe) {
            PostMessageA(frame, kAutoSettingResultMessage,
                         static_cast<WPARAM>(link::code::kPortInUse), 1);
        } else {
            ReportError(frame, MessageId::port_in_use);
        }
        return;
    }
    link.retired = std::move(link.session);
    link.session = std::make_unique<link::LinkSession>(
        link_port(), real_clock(), link_settings(), real_file_system(), link.ui, progress_window());
    link.session->set_host(&link.ui);
    if (link.tracing) {
        link.tracing->set_step_source(
            [session = link.session.get()] { return link::engine_step_name(session->engine()); });
    }
    link.kind = op;
    link.close_posted = false;
    const int code = link.session->begin(op);
    if (code != 0) {
        link.kind = link::LinkOperation::none;
        if (op == link::LinkOperation::probe) {
            PostMessageA(frame, kAutoSettingResultMessage, static_cast<WPARAM>(code), 1);
        } else {
            ReportError(frame, message_of_index(code));
        }
        return;
    }
    if (op != link::LinkOperation::probe) {
        EnableWindow(frame, FALSE);
    }
    arm_timer(frame);
}

void HandleLinkTimer(HWND window) {
    KillTimer(window, kLinkTimer);
    LinkShell& link = shell();
    if (!link.session) {
        return;
    }
    link.session->engine().on_timer();
    after_engine_call();
}

HWND transfer_dialog() {
    return shell().dialog;
}

// The transfer dialogs tell the shell when they open and close.
void transfer_dialog_opened(HWND dialog) {
    shell().dialog = dialog;
    shell().close_posted = false;
}

void transfer_dialog_closed() {
    LinkShell& link = shell();
    if (link.dialog != nullptr) {
        KillTimer(link.dialog, kLinkTimer);
    }
    link.dialog = nullptr;
    link.close_posted = false;
}

void StartSending(HWND dialog, const std::vector<std::string>& paths) {
    LinkShell& link = shell();
    if (!link.session) {
        return;
    }
    EnableWindow(dialog, FALSE);
    link.session->start_sending(paths);
    after_engine_call();
}

void StartReceiving(HWND dialog, const std::vector<int>& item_indexes, const std::string& folder) {
    LinkShell& link = shell();
    if (!link.session) {
        return;
    }
    std::vector<link::ReceiveItem> chosen;
    const auto& listed = link.session->listed();
    for (const int i : item_indexes) {
        if (i >= 0 && static_cast<std::size_t>(i) < listed.size()) {
            chosen.push_back(listed[static_cast<std::size_t>(i)]);
        }
    }
    EnableWindow(dialog, FALSE);
    link.session->start_receiving(chosen, folder);
    after_engine_call();
}

std::vector<std::string> receive_item_lines() {
    std::vector<std::string> lines;
    if (shell().session) {
        for (const link::ReceiveItem& item : shell().session->listed()) {
            lines.push_back(item.line_text);
        }
    }
    return lines;
}

std::vector<int> receive_items_of_category(int category_choice) {
    std::vector<int> indexes;
    if (!shell().session) {
        return indexes;
    }
    const auto& listed = shell().session->listed();
    const std::vector<int> order = link::receive_slot_order(kModelInForce);
    const int slot =
        category_choice > 0 && static_cast<std::size_t>(category_choice) <= order.size()
            ? order[static_cast<std::size_t>(category_choice - 1)]
            : -1;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (category_choice <= 0 || listed[i].slot == slot) {
            indexes.push_back(static_cast<int>(i));
        }
    }
    return indexes;
}

}  // namespace travex::win32
