#pragma once
// The timer-driven protocol engine of the calculator link. Each timer tick pushes out a paced
// piece of the pending packet, reads what has arrived, examines at most one packet and moves
// along the current script. Operations are chains of scripts; when a script ends,
// finish_script() chooses what follows or ends the operation, handing over to the operation's
// owner (the send and receive flow, the screen capture, the port probe) through LinkEvents.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/bytes.h"
#include "base/input_caps.h"
#include "base/message_id.h"
#include "link/link_packets.h"
#include "link/link_progress.h"
#include "link/link_scripts.h"
#include "link/serial_port.h"

namespace travex::link {

// The settings the engine runs with (from the settings file).
struct LinkSettings {
    int timer_interval_ms = 100;
    int retry_count = 30;
    int out_buffer = 30;
    int port_number = 1;
    int model_code = 4;
};

enum class LinkOperation : int {
    none = 0,
    send = 1,           // directory, then the send dialog
    receive = 2,        // directory, then the receive dialog
    capture = 3,        // screen capture
    send_files = 4,     // the files chosen for sending
    receive_items = 5,  // the items chosen for receiving
    closing = 6,        // goodbye, then the port is closed
    probe = 7,          // port probe
};

// Link error codes (message 400 + code).
namespace code {
inline constexpr int kMemory = 0;
inline constexpr int kPortInUse = 1;
inline constexpr int kNoSuchPort = 2;
inline constexpr int kPortError = 3;
inline constexpr int kNoResponse = 4;
inline constexpr int kCommunicationFailed = 5;
inline constexpr int kIncorrectModel = 14;
inline constexpr int kCalculatorMemoryOver = 20;
inline constexpr int kUserAbort = 26;
}  // namespace code

// What the owner of an operation is told. Every call happens inside a tick (or inside a
// call of the owner into the engine) on the one thread that drives the engine.
class LinkEvents {
public:
    virtual ~LinkEvents() = default;
    // Operations 1 and 2: the three directory lists are in; the owner runs its dialog and
    // calls close_dialog() (directly or by post_dialog_close()) when the dialog is done.
    virtual void directory_ready(LinkOperation) {}
    // Operations 4 and 5: the script of one file or item finished well.
    virtual void file_script_done() {}
    virtual void item_script_done() {}
    // Operation 3: the screen image arrived.
    virtual void capture_done(const Bytes&) {}
    // Operation 7: the calculator answered on this port.
    virtual void probe_answered() {}
    // An operation ended with a code (code 26 is the user's own Cancel and is not shown).
    virtual void operation_failed(LinkOperation, int) {}
    // The operation was stopped quietly (end step of kind 5).
    virtual void stopped_quietly(LinkOperation) {}
    // The window that carries the timer is enabled again.
    virtual void window_enabled() {}
    // The port was closed at the end of an operation.
    virtual void port_closed() {}
    // A port probe tick passed (the probe dialog's progress bar steps).
    virtual void probe_step() {}
};

class LinkEngine {
public:
    LinkEngine(SerialPort& port, const LinkSettings& settings, LinkEvents& events,
               ProgressSink& progress);

    // Clears the abort request, sets the operation and opens the port; on success the first
    // tick starts the operation's first script. Answers 0 or the open error code (which the
    // owner shows, or during a probe hands to the probe).
    int start_operation(LinkOperation op);
    // One timer message: the first tick of an operation starts its first script; every other
    // runs tick().
    void on_timer();
    // Whether the link timer is armed (another tick will come).
    bool timer_armed() const { return timer_armed_; }
    // The dialog close posted by a flow (operations 4 and 5) is delivered after the timer
    // message that posted it has been handled.
    bool dialog_close_posted() const { return dialog_close_posted_; }
    void post_dialog_close() { dialog_close_posted_ = true; }
    void deliver_posted();
    // The send or receive dialog has closed: the directory is freed and the goodbye runs.
    void close_dialog();

    // The Cancel button of the progress window: sets the abort request; with rewrite (the
    // screen capture's window) the steps after the current one become the cancel sequence.
    void request_abort(bool rewrite_steps);
    void clear_abort() { abort_request_ = false; }
    bool abort_requested() const { return abort_request_; }

    void set_operation(LinkOperation op) { operation_ = op; }
    LinkOperation operation() const { return operation_; }

    // Scripts for the send and receive flow. Each resets nothing itself: they run after the
    // reset that ended the previous script. Answer false when the first step could not run.
    bool run_named_file_send(const ItemName& category, const Bytes& payload);
    bool run_setup_item_send(std::uint8_t announcement, const Bytes& payload);
    bool run_named_item_receive(const ItemName& category, const ItemName& requested,
                                bool reply_has_name_field);
    bool run_setup_item_receive(std::uint8_t request_letter);

    // The payload of the last block reply, handed to the caller.
    Bytes take_received_payload();
    const Bytes& received_payload() const { return received_payload_; }
    // Directory list i (0 SOLVE EQU, 1 PROGRAM, 2 ANIME), 11-byte entries.
    std::vector<ItemName> directory_list(int i) const;
    bool has_directory() const { return !directory_lists_.empty(); }

    // Introspection for tests and the fuzz target.
    int step_index() const { return step_index_; }
    const std::array<LinkStep, kMaxSteps>& steps() const { return steps_; }
    int repeat_counter() const { return repeat_counter_; }
    int hello_restarts() const { return hello_restarts_; }
    int idle_ticks() const { return idle_ticks_; }
    const ItemName& current_name() const { return current_name_; }
    std::size_t input_queued() const { return input_.size(); }
    const Bytes& last_packet() const { return last_packet_; }
    const LinkSettings& settings() const { return settings_; }
    // The length the calculator announced for the item being received (0, or the largest item,
    // before it has): the command line's progress tells a percentage from it.
    std::uint32_t announced_item_length() const { return announced_item_length_; }

private:
    enum class Outcome {
        proceed,
        waiting,
        step_done,
        finished,
        error,
        end_quiet,
        end_failed,
        end_memory
    };
    struct Result {
        Outcome outcome = Outcome::proceed;
        int code = 0;
    };

    void start_first_script();
    bool run_script(ScriptId id, std::uint8_t parameter = 0);
    bool link_tick();
    // From the outcome of this tick's read: performs the steps that can go on at once (an
    // answer already read, a script that has ended) and answers the outcome that stops them.
    Result run_ready_steps(Result r);
    Result perform_step();
    void queue_and_send(const Bytes& packet);
    void send_cancel();
    bool send_piece();
    Result read_and_parse();
    Result examine();
    Result short_packet_step(std::uint8_t code);
    Result block_packet_step();
    Result checksum_failure();
    // Whether a short reply with this code answers the step after the current acknowledgement.
    bool answer_went_on(std::uint8_t code) const;
    void drop_stale_input();
    Result calculator_nak();
    void advance_step();
    void set_step(int index);
    void rewrite_next_two(std::uint8_t send_command, StepKind end_kind);
    Bytes build_packet(std::uint8_t command) const;
    void finish_script(bool success, int code);
    void finish_directory_step();
    void close_port();
    void reset();
    const LinkStep& current() const { return steps_[static_cast<std::size_t>(step_index_)]; }

    SerialPort& port_;
    LinkSettings settings_;
    LinkEvents& events_;
    ProgressSink& progress_;

    LinkOperation operation_ = LinkOperation::none;
    std::array<LinkStep, kMaxSteps> steps_{};
    ScriptId script_ = ScriptId::goodbye;
    std::uint8_t script_parameter_ = 0;
    int step_index_ = 0;
    CommandClass command_class_ = CommandClass::other;
    Bytes output_;
    std::size_t output_position_ = 0;
    bool packet_partly_sent_ = false;
    // A packet failed its checksum and the negative acknowledgement asked for its repeat.
    bool awaiting_repeat_ = false;
    Bytes last_packet_;
    Bytes input_;
    std::array<std::uint8_t, 1024> read_buffer_{};
    std::size_t last_out_queue_ = 0;
    int idle_ticks_ = 0;
    int repeat_counter_ = 0;
    int hello_restarts_ = 0;
    ItemName current_name_{};
    ItemName requested_name_{};
    bool reply_has_name_field_ = false;
    std::uint32_t announced_length_ = 0;
    // The item length that the 0x20 item information announced for the following 0x15 block.
    std::uint32_t announced_item_length_ = 0;
    std::array<std::uint8_t, 4> length_field_{};
    Bytes received_payload_;
    Bytes outgoing_block_;
    std::vector<Bytes> directory_lists_;
    int list_index_ = -1;
    bool progress_flag_ = false;
    bool abort_request_ = false;
    bool first_tick_ = false;
    bool timer_armed_ = false;
    bool dialog_close_posted_ = false;
};

// The message of a link error code (string 400 + code): the one place where the engine's codes
// meet the message ids.
MessageId link_message(int code);

}  // namespace travex::link
