#pragma once
// The link session: the send and receive flow around the link engine. One script per file
// (with the window-setup merge for window setup and zoom files), one script per received item
// with its saving (never a partial file, existing files behind a question), and a synchronous
// driver that runs the engine's ticks against a port and a clock to the end of an operation
// (travex-cli, tests, benchmarks). The checks of a send selection are in send_checks.h.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "base/message_id.h"
#include "files/file_questions.h"
#include "files/received_item.h"
#include "link/link_engine.h"
#include "link/receive_categories.h"
#include "link/transfer_files.h"

namespace travex::link {

// What an application that drives the session with its own timer is told on the way; a caller
// that runs whole operations reads the outcome afterwards and needs none of it.
class LinkHost {
public:
    virtual ~LinkHost() = default;
    // The message an operation ends with, at the moment it ends (user_abort included: the
    // host shows no message for it, but an auto setting takes it as a failed port).
    virtual void report(MessageId message) { (void)message; }
    // The directory is in (operations 1 and 2): the host runs its dialog, which may start the
    // transfer with start_sending() or start_receiving(), and answers when it has closed.
    virtual void run_dialog(LinkOperation op) { (void)op; }
    // The window that carries the link timer may be used again.
    virtual void window_enabled() {}
    // The screen image arrived (operation 3).
    virtual void captured(const Bytes& screen) { (void)screen; }
    // The calculator answered the port probe (operation 7).
    virtual void probe_answered() {}
    // A tick of a port probe passed.
    virtual void probe_step() {}
};

// Records 0-5, 16-18, 22-24, 28-31 (window setup) or 10-15, 19-21, 25-27, 32-35 (zoom) of the
// file's block replace those of the calculator's current window-setup block.
Bytes merge_window_setup(const Bytes& calculator_block, const Bytes& file_block, bool zoom);

enum class FileOutcome { pending, sent, skipped, received, kept, failed };

struct FileReport {
    std::string name;  // path (send) or line text (receive)
    FileOutcome outcome = FileOutcome::pending;
};

// How an operation ended.
struct LinkOutcome {
    bool ok = true;
    int code = -1;                        // link error code when the link failed, else -1
    MessageId message = MessageId::none;  // what the user is shown
    bool stopped = false;                 // the user or a save stopped the transfer
    std::string path;  // the file the failure concerns (empty when it is the link's)
};

class LinkSession final : public LinkEvents {
public:
    LinkSession(SerialPort& port, Clock& clock, const LinkSettings& settings, FileSystem& fs,
                FileQuestions& questions, ProgressSink& progress);

    // The calculator's items as the receive list shows them.
    LinkOutcome list(std::vector<ReceiveItem>& items);
    // Sends the files (after check_send_selection passed).
    LinkOutcome send(const std::vector<std::string>& paths);
    // Receives the items that choose() picks from the receive list into folder.
    using Chooser = std::function<std::vector<ReceiveItem>(const std::vector<ReceiveItem>&)>;
    LinkOutcome receive(const Chooser& choose, const std::string& folder);
    LinkOutcome capture(Bytes& screen);
    // Port probe: hello then goodbye.
    LinkOutcome probe();

    // Driven by the host's own timer (the application): begin() opens the port; while
    // engine().timer_armed() the host calls engine().on_timer() once per timer period. The
    // directory runs the host's dialog (LinkHost::run_dialog); a close of that dialog posted by
    // the flow (engine().dialog_close_posted()) is the host's to deliver, and when the dialog
    // has gone the goodbye runs. Answers 0 or the open error code.
    void set_host(LinkHost* host) { host_ = host != nullptr ? host : &no_host_; }
    int begin(LinkOperation op);
    // The dialog's OK: the transfer of the chosen files or items starts.
    void start_sending(const std::vector<std::string>& paths);
    void start_receiving(const std::vector<ReceiveItem>& chosen, const std::string& folder);
    // The calculator's items of the directory just fetched, as the receive list shows them.
    const std::vector<ReceiveItem>& listed() const { return listed_; }
    const LinkOutcome& outcome() const { return outcome_; }

    const std::vector<FileReport>& reports() const { return reports_; }
    LinkEngine& engine() { return engine_; }
    // Ticks of the last operation.
    long ticks() const { return ticks_; }
    // Clock time from the start of the first file's or item's script to the end of the last
    // one (the transfer proper, without hello, directory, dialog and goodbye).
    std::uint64_t transfer_ms() const { return transfer_end_ms_ - transfer_start_ms_; }

    // LinkEvents
    void directory_ready(LinkOperation op) override;
    void file_script_done() override { next_file(); }
    void item_script_done() override { next_item(); }
    void capture_done(const Bytes& image) override {
        screen_ = image;
        host_->captured(image);
    }
    void probe_answered() override {
        probe_answered_ = true;
        host_->probe_answered();
    }
    void operation_failed(LinkOperation op, int code) override;
    void window_enabled() override { host_->window_enabled(); }
    void probe_step() override { host_->probe_step(); }

private:
    enum class Mode { list, send, receive, capture, probe, driven };
    void dialog_closed();
    LinkOutcome run(Mode mode, LinkOperation op);
    void next_file();
    void next_item();
    bool save_received(const ReceiveItem& item, Bytes payload);
    void stop_transfer(MessageId message, std::string path = {});

    SerialPort& port_;
    Clock& clock_;
    FileSystem& fs_;
    FileQuestions& questions_;
    ProgressSink& progress_;
    LinkEngine engine_;
    Mode mode_ = Mode::list;
    LinkOutcome outcome_;
    long ticks_ = 0;
    std::vector<FileReport> reports_;
    // Listing and receiving.
    std::vector<ReceiveItem> listed_;
    Chooser choose_;
    std::string folder_;
    std::vector<ReceiveItem> chosen_;
    int item_index_ = -1;
    ReceiveState receive_state_;
    // Sending.
    std::vector<std::string> paths_;
    int file_index_ = -1;
    bool merge_pending_ = false;
    Bytes held_payload_;
    bool held_is_zoom_ = false;
    Bytes screen_;
    bool probe_answered_ = false;
    std::uint64_t transfer_start_ms_ = 0;
    std::uint64_t transfer_end_ms_ = 0;
    LinkHost no_host_;
    LinkHost* host_ = &no_host_;
};

}  // namespace travex::link
