#include "link/link_engine.h"

#include <algorithm>

#include "base/le_bytes.h"

namespace travex::link {
namespace {

constexpr std::array<std::string_view, 3> kDirectoryCategories = {"SOLVE EQU  ", "PROGRAM    ",
                                                                  "ANIME      "};
constexpr int kMaxHelloRestarts = 3;
constexpr std::size_t kDirectorySlots = 14;
constexpr int kCaptureUnits = 10;
// No item is larger than kLargestItemBytes: a length beyond it can only be a fault of the line.
constexpr auto kLargestItem = static_cast<std::uint32_t>(kLargestItemBytes);
// A 0x15 block around its payload: the length, the four bytes after it and the name field.
constexpr std::uint32_t kItemBlockOverhead = 8 + kNameLength;

bool is_plain_reply(std::uint8_t c) {
    return c == 0x01 || (c >= 0x21 && c <= 0x24) || (c >= 0x27 && c <= 0x2B);
}

}  // namespace

LinkEngine::LinkEngine(SerialPort& port, const LinkSettings& settings, LinkEvents& events,
                       ProgressSink& progress)
    : port_(port), settings_(settings), events_(events), progress_(progress) {
    steps_ = build_script(ScriptId::goodbye);
    set_step(0);
}

int LinkEngine::start_operation(LinkOperation op) {
    abort_request_ = false;
    operation_ = op;
    const PortOpenResult opened = port_.OpenLinkPort(settings_.port_number);
    if (opened != PortOpenResult::ok) {
        return static_cast<int>(opened);
    }
    // Every opening gives the hello its restarts afresh.
    hello_restarts_ = 0;
    last_out_queue_ = port_.ClearLinkErrors();
    first_tick_ = true;
    timer_armed_ = true;
    return 0;
}

void LinkEngine::on_timer() {
    // A tick that was already queued when the operation ended (a timer message still waiting
    // after the timer was killed) must not run another step on the closed port.
    if (!timer_armed_) {
        return;
    }
    timer_armed_ = false;
    if (first_tick_) {
        first_tick_ = false;
        start_first_script();
        return;
    }
    if (link_tick()) {
        timer_armed_ = true;
    }
}

void LinkEngine::start_first_script() {
    switch (operation_) {
        case LinkOperation::send:
        case LinkOperation::receive:
            list_index_ = -1;
            run_script(ScriptId::hello);
            break;
        case LinkOperation::probe:
            run_script(ScriptId::hello);
            break;
        case LinkOperation::capture:
            progress_.show(TextId::screen_capturing, kCaptureUnits, true);
            progress_.show_line(TextId::screen_image);
            run_script(ScriptId::screen_capture);
            break;
        default:
            break;
    }
}

void LinkEngine::deliver_posted() {
    if (dialog_close_posted_) {
        dialog_close_posted_ = false;
        close_dialog();
    }
}

void LinkEngine::close_dialog() {
    directory_lists_.clear();
    operation_ = LinkOperation::closing;
    run_script(ScriptId::goodbye);
}

void LinkEngine::request_abort(bool rewrite_steps) {
    abort_request_ = true;
    if (rewrite_steps) {
        rewrite_next_two(kCancel, StepKind::end_quiet);
    }
}

bool LinkEngine::run_named_file_send(const ItemName& category, const Bytes& payload) {
    current_name_ = category;
    const auto wrapped_length = static_cast<std::uint32_t>(payload.size() + 8);
    outgoing_block_.clear();
    append_u32le(outgoing_block_, wrapped_length);
    outgoing_block_.insert(outgoing_block_.end(), {0x30, 0x00, 0x00, 0x00});
    outgoing_block_.insert(outgoing_block_.end(), payload.begin(), payload.end());
    write_u32le(length_field_, 0, wrapped_length);
    return run_script(ScriptId::named_file_send);
}

bool LinkEngine::run_setup_item_send(std::uint8_t announcement, const Bytes& payload) {
    outgoing_block_ = payload;
    write_u32le(length_field_, 0, static_cast<std::uint32_t>(payload.size()));
    return run_script(ScriptId::setup_item_send, announcement);
}

bool LinkEngine::run_named_item_receive(const ItemName& category, const ItemName& requested,
                                        bool reply_has_name_field) {
    current_name_ = category;
    requested_name_ = requested;
    reply_has_name_field_ = reply_has_name_field;
    announced_item_length_ = kLargestItem;
    return run_script(ScriptId::named_item_receive);
}

bool LinkEngine::run_setup_item_receive(std::uint8_t request_letter) {
    requested_name_.fill(' ');
    return run_script(ScriptId::setup_item_receive, request_letter);
}

Bytes LinkEngine::take_received_payload() {
    Bytes out;
    out.swap(received_payload_);
    return out;
}

std::vector<ItemName> LinkEngine::directory_list(int i) const {
    std::vector<ItemName> entries;
    if (i < 0 || static_cast<std::size_t>(i) >= directory_lists_.size()) {
        return entries;
    }
    const Bytes& list = directory_lists_[static_cast<std::size_t>(i)];
    for (std::size_t at = 0; at + kNameLength <= list.size(); at += kNameLength) {
        ItemName name;
        std::copy_n(list.begin() + static_cast<std::ptrdiff_t>(at), kNameLength, name.begin());
        entries.push_back(name);
    }
    return entries;
}

bool LinkEngine::run_script(ScriptId id, std::uint8_t parameter) {
    steps_ = build_script(id, parameter);
    script_ = id;
    script_parameter_ = parameter;
    progress_flag_ = id == ScriptId::screen_capture;
    set_step(0);
    const Result r = perform_step();
    if (r.outcome == Outcome::error) {
        finish_script(false, r.code);
        return false;
    }
    if (r.outcome != Outcome::finished) {
        timer_armed_ = true;
    }
    return true;
}

void LinkEngine::set_step(int index) {
    step_index_ = std::clamp(index, 0, static_cast<int>(kMaxSteps) - 1);
    command_class_ = command_class(current().command);
    if (progress_flag_ && step_index_ >= 2) {
        progress_.advance(1, "");
    }
}

void LinkEngine::advance_step() {
    set_step(step_index_ + 1);
}

void LinkEngine::rewrite_next_two(std::uint8_t send_command, StepKind end_kind) {
    const auto next = static_cast<std::size_t>(step_index_) + 1;
    if (next < kMaxSteps) {
        steps_[next] = {send_command, StepKind::send};
    }
    if (next + 1 < kMaxSteps) {
        steps_[next + 1] = {0x00, end_kind};
    }
}

Bytes LinkEngine::build_packet(std::uint8_t command) const {
    Bytes body;
    switch (command) {
        case kBlockCurrentName:
            body.assign(current_name_.begin(), current_name_.end());
            break;
        case kBlockRequestedName:
            body.assign(requested_name_.begin(), requested_name_.end());
            break;
        case kBlockNameAndLength:
            body.assign(current_name_.begin(), current_name_.end());
            body.insert(body.end(), length_field_.begin(), length_field_.end());
            break;
        case kBlockLength:
            body.assign(length_field_.begin(), length_field_.end());
            break;
        case kBlockData:
            body = outgoing_block_;
            break;
        default:
            return short_packet(kComputerHeader0, kComputerHeader1, command);
    }
    return block_packet(kComputerHeader0, kComputerHeader1, body);
}

LinkEngine::Result LinkEngine::perform_step() {
    const LinkStep step = current();
    if (step.command == 0) {
        switch (step.kind) {
            case StepKind::end_ok:
                finish_script(true, 0);
                return {Outcome::finished};
            case StepKind::end_quiet:
                return {Outcome::end_quiet};
            case StepKind::end_failed:
                return {Outcome::end_failed};
            case StepKind::end_memory:
                return {Outcome::end_memory};
            default:
                return {Outcome::proceed};
        }
    }
    if (step.kind != StepKind::send) {
        return {Outcome::proceed};
    }
    const Bytes packet = build_packet(step.command);
    if (step.command == kBlockData) {
        outgoing_block_.clear();
    }
    queue_and_send(packet);
    return {Outcome::proceed};
}

void LinkEngine::queue_and_send(const Bytes& packet) {
    output_.insert(output_.end(), packet.begin(), packet.end());
    packet_partly_sent_ = true;
    send_piece();
}

void LinkEngine::send_cancel() {
    // The rest of a packet still going out is dropped first: queued behind it, the cancel
    // would never leave before the reset that follows.
    output_.clear();
    output_position_ = 0;
    packet_partly_sent_ = false;
    queue_and_send(short_packet(kComputerHeader0, kComputerHeader1, kCancel));
}

bool LinkEngine::send_piece() {
    long allowance = static_cast<long>(settings_.out_buffer) - static_cast<long>(last_out_queue_);
    if (allowance <= 0) {
        // The count of the last write says the driver's buffer was full. The status is read
        // again (otherwise the stale count would block the packet for good), and bytes leaving
        // the queue count as movement. If the queue has drained below OutBuffer since, the
        // piece goes now: waiting for another tick would only leave the line idle.
        const std::size_t queued = port_.ClearLinkErrors();
        if (queued < last_out_queue_) {
            idle_ticks_ = 0;
        }
        last_out_queue_ = queued;
        allowance = static_cast<long>(settings_.out_buffer) - static_cast<long>(queued);
        if (allowance <= 0) {
            return false;
        }
    }
    const std::size_t remaining = output_.size() - output_position_;
    const bool last_piece = remaining < static_cast<std::size_t>(allowance);
    const std::size_t piece = last_piece ? remaining : static_cast<std::size_t>(allowance);
    last_out_queue_ = port_.ClearLinkErrors();
    const PortWriteResult w = port_.WriteLinkBytes(
        std::span<const std::uint8_t>(output_.data() + output_position_, piece));
    const std::size_t written = std::min(w.written, piece);
    if (written > 0) {
        idle_ticks_ = 0;
    }
    if (written < piece) {
        output_position_ += written;
        return false;
    }
    if (!last_piece) {
        output_position_ += piece;
        return false;
    }
    last_packet_ = std::move(output_);
    output_.clear();
    output_position_ = 0;
    packet_partly_sent_ = false;
    advance_step();
    return true;
}

bool LinkEngine::link_tick() {
    ++idle_ticks_;
    progress_.flash();

    Result r{Outcome::proceed};
    bool packet_incomplete = false;
    if (packet_partly_sent_) {
        send_piece();
        packet_incomplete = packet_partly_sent_;
    }
    if (!packet_incomplete) {
        // Only a receive step has anything to wait for: reading at a send or end step would
        // sit out the read time-out for an answer that no one is going to send.
        r = current().kind == StepKind::receive ? read_and_parse() : Result{Outcome::proceed};
        r = run_ready_steps(r);
        if (r.outcome == Outcome::finished) {
            return false;
        }
    }

    if (idle_ticks_ >= settings_.retry_count) {
        port_.PurgeLinkPort();
        finish_script(false, code::kNoResponse);
        return false;
    }
    if (abort_request_) {
        rewrite_next_two(kCancel, StepKind::end_quiet);
        events_.window_enabled();
        send_cancel();
        port_.PurgeLinkPort();
        // The request is served: the goodbye that may follow must not be cancelled too.
        abort_request_ = false;
        finish_script(false, code::kUserAbort);
        steps_[static_cast<std::size_t>(step_index_)] = {0x00, StepKind::end_ok};
        return false;
    }
    switch (r.outcome) {
        case Outcome::error:
            send_cancel();
            port_.PurgeLinkPort();
            finish_script(false, r.code);
            return false;
        case Outcome::end_quiet: {
            const LinkOperation op = operation_;
            if (op == LinkOperation::capture) {
                port_.PurgeLinkPort();
                close_port();
            } else if (op == LinkOperation::send_files || op == LinkOperation::receive_items) {
                reset();
                post_dialog_close();
            } else {
                // Nothing follows a quiet end here, so the port must not stay open.
                port_.PurgeLinkPort();
                close_port();
            }
            events_.window_enabled();
            if (progress_flag_ && progress_.is_open()) {
                progress_.advance(-1, "");
            }
            events_.stopped_quietly(op);
            return false;
        }
        case Outcome::end_failed:
            finish_script(false, code::kCommunicationFailed);
            return false;
        case Outcome::end_memory:
            finish_script(false, code::kCalculatorMemoryOver);
            return false;
        default:
            break;
    }
    if (operation_ == LinkOperation::probe) {
        events_.probe_step();
    }
    // A hello whose answer came spoilt is not restarted: its repeat is on the way, and a
    // second hello would be answered too, one acknowledgement too many.
    if (step_index_ > 0 && steps_[static_cast<std::size_t>(step_index_ - 1)].command == kHello &&
        !awaiting_repeat_ && hello_restarts_ < kMaxHelloRestarts) {
        port_.PurgeLinkPort();
        ++hello_restarts_;
        set_step(0);
        idle_ticks_ = 0;
        run_script(script_, script_parameter_);
        return false;  // the restarted script armed the timer itself
    }
    return true;
}

LinkEngine::Result LinkEngine::run_ready_steps(Result r) {
    // Each pass performs one step; a script has fewer steps than this, so the bound only
    // guards against a step table that never moves on.
    for (std::size_t pass = 0; pass < 2 * kMaxSteps; ++pass) {
        if (r.outcome != Outcome::step_done && r.outcome != Outcome::proceed) {
            return r;
        }
        if (r.outcome == Outcome::step_done) {
            awaiting_repeat_ = false;
            advance_step();
        }
        r = perform_step();
        if (r.outcome != Outcome::proceed || packet_partly_sent_) {
            // The script ended, failed or stopped, or a packet is still leaving piece by piece.
            return r;
        }
        const LinkStep& next = current();
        if (next.kind == StepKind::receive) {
            // The answer may already be here (the calculator sends some answers two packets
            // at once): it is examined now rather than a tick later. Anything short of a whole
            // packet waits for the next tick's read.
            if (input_.empty()) {
                return r;
            }
            r = examine();
        } else if (next.command != 0) {
            // A send step after a send step: it goes out with the next tick, as the pacing
            // asks.
            return r;
        }
        // An end step follows the packet just sent: the script is over, nothing is awaited.
    }
    return r;
}

LinkEngine::Result LinkEngine::read_and_parse() {
    const PortReadResult read = port_.ReadLinkBytes(read_buffer_);
    if (read.status == PortReadStatus::failed) {
        return {Outcome::error, read.error_code != 0 ? read.error_code : code::kPortError};
    }
    const std::size_t got = std::min(read.received, read_buffer_.size());
    if (got > 0) {
        input_.insert(input_.end(), read_buffer_.begin(),
                      read_buffer_.begin() + static_cast<std::ptrdiff_t>(got));
        idle_ticks_ = 0;
    }
    return examine();
}

LinkEngine::Result LinkEngine::examine() {
    const LinkStep step = current();
    if (step.kind != StepKind::receive || step.command == 0) {
        return {Outcome::proceed};
    }
    if (awaiting_repeat_) {
        drop_stale_input();
    }
    if (input_.size() < 3) {
        return {Outcome::waiting};
    }
    const auto id = model_identifier(settings_.model_code);
    if (!id || input_[0] != (*id)[0]) {
        return {Outcome::error, code::kCommunicationFailed};
    }
    if (input_[1] != (*id)[1]) {
        return {Outcome::error, code::kIncorrectModel};
    }
    const std::uint8_t c = input_[2];
    const bool refusal_code = c >= kNak && c <= kMemoryFull;
    if (refusal_code && input_.size() < kShortPacketLength) {
        // Wait for the whole five bytes before deciding what a refusal code means.
        return {Outcome::waiting};
    }
    if (refusal_code && input_.size() == kShortPacketLength) {
        return short_packet_step(c);
    }
    if (command_class_ == CommandClass::short_packet) {
        if (c != step.command && awaiting_repeat_ && answer_went_on(c)) {
            // The calculator answers some steps with two packets at once (its acknowledgement
            // and its go-ahead). When the first of them was spoilt, the calculator repeats only
            // its last packet, the go-ahead: that it went on shows the acknowledgement was
            // given, so both steps are done.
            advance_step();
        }
        if (c != current().command) {
            return {Outcome::error, code::kCommunicationFailed};
        }
        return short_packet_step(c);
    }
    if (command_class_ == CommandClass::block) {
        return block_packet_step();
    }
    return {Outcome::error, code::kCommunicationFailed};
}

LinkEngine::Result LinkEngine::short_packet_step(std::uint8_t c) {
    if (is_plain_reply(c) || (c == kCalculatorCancel && current().command == kCalculatorCancel)) {
        if (input_.size() < kShortPacketLength) {
            return {Outcome::waiting};
        }
        const bool good =
            checksum_matches(std::span<const std::uint8_t>(input_.data(), kShortPacketLength));
        input_.erase(input_.begin(), input_.begin() + kShortPacketLength);
        return good ? Result{Outcome::step_done} : checksum_failure();
    }
    if (c == kNak) {
        return calculator_nak();
    }
    if (c == kCancel || c == kCalculatorCancel || c == kMemoryFull) {
        // Acknowledged, then the script ends; the packet is dropped by the reset at the end.
        rewrite_next_two(kAck, c == kMemoryFull ? StepKind::end_memory : StepKind::end_failed);
        return {Outcome::step_done};
    }
    return {Outcome::step_done};
}

bool LinkEngine::answer_went_on(std::uint8_t code) const {
    const auto next = static_cast<std::size_t>(step_index_) + 1;
    return current().command == kAck && next < kMaxSteps &&
           steps_[next].kind == StepKind::receive && steps_[next].command == code &&
           command_class(code) == CommandClass::short_packet;
}

void LinkEngine::drop_stale_input() {
    // While a repeat is awaited, bytes that do not begin a packet of the calculator are the
    // rest of the spoilt answer, which arrived after it was read: the repeat starts with the
    // model identifier.
    const auto id = model_identifier(settings_.model_code);
    if (!id) {
        return;
    }
    std::size_t at = 0;
    while (at < input_.size() &&
           !(input_[at] == (*id)[0] && (at + 1 == input_.size() || input_[at + 1] == (*id)[1]))) {
        ++at;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(at));
}

LinkEngine::Result LinkEngine::checksum_failure() {
    ++repeat_counter_;
    if (repeat_counter_ >= settings_.retry_count) {
        return {Outcome::error, code::kCommunicationFailed};
    }
    // Whatever came with the spoilt packet belongs to the answer the calculator now repeats;
    // read where the repeat is expected, it would be taken for the repeat.
    input_.clear();
    awaiting_repeat_ = true;
    // The negative acknowledgement goes out as if it were the step before; its completion
    // brings the step index back to this receive step.
    set_step(step_index_ - 1);
    queue_and_send(short_packet(kComputerHeader0, kComputerHeader1, kNak));
    return {Outcome::waiting};
}

LinkEngine::Result LinkEngine::calculator_nak() {
    if (input_.size() < kShortPacketLength) {
        return {Outcome::waiting};
    }
    ++repeat_counter_;
    if (repeat_counter_ >= settings_.retry_count) {
        repeat_counter_ = 0;
        return {Outcome::error, code::kCommunicationFailed};
    }
    output_.insert(output_.end(), last_packet_.begin(), last_packet_.end());
    set_step(step_index_ - 1);
    packet_partly_sent_ = true;
    send_piece();
    input_.erase(input_.begin(), input_.begin() + kShortPacketLength);
    return {Outcome::waiting};
}

LinkEngine::Result LinkEngine::block_packet_step() {
    const std::uint8_t command = current().command;
    std::uint64_t need = 0;
    if (command == kBlockItem) {
        if (input_.size() < 6) {
            return {Outcome::waiting};
        }
        const std::uint32_t length = read_u32le(input_, 2);
        need = std::uint64_t{length} + 4;
        const std::size_t least =
            kItemBlockPayloadOffset + (reply_has_name_field_ ? kNameLength : 0) + 2;
        // A block longer than the item information announced can never be waited for: a
        // trickle of bytes would keep the line busy and the receive would never end.
        // An item information that announced no length bounds the block by the largest item.
        const std::uint32_t announced =
            announced_item_length_ == 0 ? kLargestItem : announced_item_length_;
        const std::uint64_t most =
            std::uint64_t{std::min(announced, kLargestItem)} + kItemBlockOverhead;
        if (need < least || length > most) {
            return {Outcome::error, code::kCommunicationFailed};
        }
    } else if (command == kBlockDirectory) {
        need = std::uint64_t{input_[2]} * kNameLength + 5;
    } else if (command == kBlockSetupData) {
        need = std::uint64_t{announced_length_} + 4;
    } else if (const auto fixed = fixed_block_length(command)) {
        need = *fixed;
    } else {
        return {Outcome::error, code::kCommunicationFailed};
    }
    if (input_.size() < need) {
        return {Outcome::waiting};
    }
    const auto n = static_cast<std::size_t>(need);
    const std::span<const std::uint8_t> packet(input_.data(), n);
    if (!checksum_matches(packet)) {
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
        return checksum_failure();
    }
    const auto body = [&](std::size_t from) {
        return Bytes(packet.begin() + static_cast<std::ptrdiff_t>(from), packet.end() - 2);
    };
    switch (command) {
        case kBlockItem: {
            std::size_t from = kItemBlockPayloadOffset;
            if (reply_has_name_field_) {
                if (!names_equal(packet.subspan(kItemBlockPayloadOffset, kNameLength),
                                 requested_name_)) {
                    return {Outcome::error, code::kCommunicationFailed};
                }
                from += kNameLength;
            }
            received_payload_ = body(from);
            break;
        }
        case kBlockScreenInfo:
            std::copy_n(packet.begin(), 6, current_name_.begin());
            break;
        case kBlockScreen:
        case kBlockSetupData:
            received_payload_ = body(2);
            break;
        case kBlockDirectory:
            received_payload_ = body(3);
            break;
        case kBlockCategoryEcho:
        case kBlockItemInfo:
            if (!names_equal(packet.subspan(2, kNameLength), current_name_)) {
                return {Outcome::error, code::kCommunicationFailed};
            }
            if (command == kBlockItemInfo) {
                announced_item_length_ = read_u32le(packet, 2 + kNameLength);
            }
            break;
        case kBlockLength:
            announced_length_ = read_u32le(packet, 2);
            if (announced_length_ > kLargestItem) {
                return {Outcome::error, code::kCommunicationFailed};
            }
            break;
        default:
            break;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
    return {Outcome::step_done};
}

void LinkEngine::finish_script(bool success, int code) {
    reset();
    const LinkOperation op = operation_;
    if (!success) {
        events_.window_enabled();
        if (op == LinkOperation::send_files || op == LinkOperation::receive_items) {
            if (progress_.is_open()) {
                progress_.advance(-1, "");
            }
            post_dialog_close();
        } else {
            if (progress_flag_ && progress_.is_open()) {
                progress_.advance(-1, "");
            }
            close_port();
        }
        reset();
        events_.operation_failed(op, code);
        return;
    }
    switch (op) {
        case LinkOperation::send:
        case LinkOperation::receive:
            finish_directory_step();
            break;
        case LinkOperation::capture:
            events_.window_enabled();
            progress_.advance(1, "");
            close_port();
            events_.capture_done(received_payload_);
            break;
        case LinkOperation::send_files:
            events_.file_script_done();
            break;
        case LinkOperation::receive_items:
            events_.item_script_done();
            break;
        case LinkOperation::probe:
            events_.window_enabled();
            progress_.advance(1, "");
            operation_ = LinkOperation::closing;
            run_script(ScriptId::goodbye);
            events_.probe_answered();
            break;
        case LinkOperation::closing:
        default:
            close_port();
            break;
    }
}

void LinkEngine::finish_directory_step() {
    const int old_index = list_index_;
    ++list_index_;
    if (old_index == -1) {
        directory_lists_.assign(kDirectorySlots, Bytes{});
    } else if (static_cast<std::size_t>(old_index) < directory_lists_.size()) {
        Bytes list = received_payload_;
        list.resize(list.size() / kNameLength * kNameLength);
        directory_lists_[static_cast<std::size_t>(old_index)] = std::move(list);
    }
    if (list_index_ >= 0 && list_index_ < static_cast<int>(kDirectoryCategories.size())) {
        current_name_ = make_name(kDirectoryCategories[static_cast<std::size_t>(list_index_)]);
        run_script(ScriptId::directory_list);
        return;
    }
    events_.window_enabled();
    events_.directory_ready(operation_);
}

void LinkEngine::close_port() {
    reset();
    if (port_.is_open()) {
        port_.ClearLinkErrors();
        port_.CloseLinkPort();
        events_.port_closed();
    }
}

void LinkEngine::reset() {
    input_.clear();
    output_.clear();
    last_packet_.clear();
    outgoing_block_.clear();
    output_position_ = 0;
    packet_partly_sent_ = false;
    awaiting_repeat_ = false;
    idle_ticks_ = 0;
    step_index_ = 0;
    command_class_ = command_class(current().command);
    last_out_queue_ = port_.is_open() ? port_.ClearLinkErrors() : 0;
}

MessageId link_message(int code) {
    // Link codes are message indexes (string 400 + code). An unknown code reads as a failed
    // communication.
    const MessageId message =
        code <= message_index(MessageId::name_too_long) ? message_of_index(code) : MessageId::none;
    return message == MessageId::none ? MessageId::communication_failed : message;
}

}  // namespace travex::link
