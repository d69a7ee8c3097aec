#include "link/link_session.h"

#include <algorithm>
#include <array>

#include "files/received_item.h"

namespace travex::link {
namespace {

constexpr std::size_t kRecordBytes = 9;
constexpr std::array<int, 16> kWindowRecords = {0,  1,  2,  3,  4,  5,  16, 17,
                                                18, 22, 23, 24, 28, 29, 30, 31};
constexpr std::array<int, 16> kZoomRecords = {10, 11, 12, 13, 14, 15, 19, 20,
                                              21, 25, 26, 27, 32, 33, 34, 35};
// Far more ticks than any transfer takes; only a peer that keeps the engine busy forever
// could reach it.
constexpr long kTickLimit = 5'000'000;

std::string base_name(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

Bytes merge_window_setup(const Bytes& calculator_block, const Bytes& file_block, bool zoom) {
    Bytes merged = calculator_block;
    for (const int record : zoom ? kZoomRecords : kWindowRecords) {
        const std::size_t at = static_cast<std::size_t>(record) * kRecordBytes;
        // A block too short for a record keeps what it has rather than reading past its end.
        if (at + kRecordBytes <= merged.size() && at + kRecordBytes <= file_block.size()) {
            std::copy_n(file_block.begin() + static_cast<std::ptrdiff_t>(at), kRecordBytes,
                        merged.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    return merged;
}

LinkSession::LinkSession(SerialPort& port, Clock& clock, const LinkSettings& settings,
                         FileSystem& fs, FileQuestions& questions, ProgressSink& progress)
    : port_(port),
      clock_(clock),
      fs_(fs),
      questions_(questions),
      progress_(progress),
      engine_(port, settings, *this, progress) {}

LinkOutcome LinkSession::run(Mode mode, LinkOperation op) {
    mode_ = mode;
    outcome_ = LinkOutcome{};
    ticks_ = 0;
    probe_answered_ = false;
    const int opened = engine_.start_operation(op);
    if (opened != 0) {
        outcome_ = {false, opened, link_message(opened), false, {}};
        return outcome_;
    }
    const auto interval = static_cast<std::uint32_t>(engine_.settings().timer_interval_ms);
    while (engine_.timer_armed() || engine_.dialog_close_posted()) {
        if (engine_.dialog_close_posted()) {
            engine_.deliver_posted();
            continue;
        }
        if (++ticks_ > kTickLimit) {
            if (outcome_.ok) {
                outcome_ = {false, code::kNoResponse, link_message(code::kNoResponse), false, {}};
            }
            break;
        }
        clock_.sleep_ms(interval);
        engine_.on_timer();
    }
    // Every operation ends with the port closed.
    if (port_.is_open()) {
        port_.CloseLinkPort();
    }
    return outcome_;
}

LinkOutcome LinkSession::list(std::vector<ReceiveItem>& items) {
    listed_.clear();
    LinkOutcome outcome = run(Mode::list, LinkOperation::receive);
    items = listed_;
    return outcome;
}

LinkOutcome LinkSession::send(const std::vector<std::string>& paths) {
    paths_ = paths;
    reports_.clear();
    for (const std::string& p : paths) {
        reports_.push_back({p, FileOutcome::pending});
    }
    LinkOutcome outcome = run(Mode::send, LinkOperation::send);
    for (FileReport& r : reports_) {
        if (r.outcome == FileOutcome::pending && !outcome.ok) {
            r.outcome = FileOutcome::failed;
        }
    }
    return outcome;
}

LinkOutcome LinkSession::receive(const Chooser& choose, const std::string& folder) {
    choose_ = choose;
    folder_ = folder;
    chosen_.clear();
    reports_.clear();
    LinkOutcome outcome = run(Mode::receive, LinkOperation::receive);
    for (FileReport& r : reports_) {
        if (r.outcome == FileOutcome::pending && !outcome.ok) {
            r.outcome = FileOutcome::failed;
        }
    }
    return outcome;
}

LinkOutcome LinkSession::capture(Bytes& screen) {
    screen_.clear();
    LinkOutcome outcome = run(Mode::capture, LinkOperation::capture);
    screen = screen_;
    return outcome;
}

LinkOutcome LinkSession::probe() {
    LinkOutcome outcome = run(Mode::probe, LinkOperation::probe);
    if (outcome.ok && !probe_answered_) {
        outcome = {false, code::kNoResponse, link_message(code::kNoResponse), false, {}};
    }
    return outcome;
}

void LinkSession::operation_failed(LinkOperation, int code) {
    host_->report(code == code::kUserAbort ? MessageId::user_abort : link_message(code));
    if (outcome_.ok) {
        outcome_ = {false,
                    code,
                    code == code::kUserAbort ? MessageId::none : link_message(code),
                    code == code::kUserAbort,
                    {}};
    }
}

void LinkSession::directory_ready(LinkOperation op) {
    transfer_start_ms_ = transfer_end_ms_ = clock_.now_ms();
    const int model = engine_.settings().model_code;
    const std::array<std::vector<ItemName>, 3> dirs = {
        engine_.directory_list(0), engine_.directory_list(1), engine_.directory_list(2)};
    listed_ = receive_list(model, build_receive_categories(model, dirs));
    switch (mode_) {
        case Mode::receive:
            start_receiving(choose_ ? choose_(listed_) : std::vector<ReceiveItem>{}, folder_);
            return;
        case Mode::send:
            start_sending(paths_);
            return;
        case Mode::driven:
            // The host's dialog is modal: the transfer it starts runs on the dialog's own timer
            // while it is open, and the goodbye follows once it has closed.
            host_->run_dialog(op);
            dialog_closed();
            return;
        default:
            engine_.post_dialog_close();
            return;
    }
}

int LinkSession::begin(LinkOperation op) {
    mode_ = Mode::driven;
    outcome_ = LinkOutcome{};
    ticks_ = 0;
    probe_answered_ = false;
    screen_.clear();
    reports_.clear();
    const int opened = engine_.start_operation(op);
    if (opened != 0) {
        outcome_ = {false, opened, link_message(opened), false, {}};
    }
    return opened;
}

void LinkSession::dialog_closed() {
    if (engine_.dialog_close_posted()) {
        engine_.deliver_posted();
    } else if (engine_.operation() == LinkOperation::send ||
               engine_.operation() == LinkOperation::receive ||
               engine_.operation() == LinkOperation::send_files ||
               engine_.operation() == LinkOperation::receive_items) {
        engine_.close_dialog();
    }
}

void LinkSession::start_sending(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        engine_.post_dialog_close();
        return;
    }
    paths_ = paths;
    reports_.clear();
    for (const std::string& p : paths_) {
        reports_.push_back({p, FileOutcome::pending});
    }
    engine_.clear_abort();
    merge_pending_ = false;
    held_payload_.clear();
    file_index_ = -1;
    engine_.set_operation(LinkOperation::send_files);
    progress_.show(TextId::sending, static_cast<int>(paths_.size()), false);
    // The transfer proper starts with the first file's script, once the progress shows.
    transfer_start_ms_ = transfer_end_ms_ = clock_.now_ms();
    next_file();
}

void LinkSession::start_receiving(const std::vector<ReceiveItem>& chosen,
                                  const std::string& folder) {
    chosen_ = chosen;
    folder_ = folder;
    if (chosen_.empty()) {
        engine_.post_dialog_close();
        return;
    }
    reports_.clear();
    for (const ReceiveItem& item : chosen_) {
        reports_.push_back({item.line_text, FileOutcome::pending});
    }
    engine_.clear_abort();
    receive_state_ = ReceiveState{};
    item_index_ = -1;
    engine_.set_operation(LinkOperation::receive_items);
    progress_.show(TextId::receiving, static_cast<int>(chosen_.size()), false);
    transfer_start_ms_ = transfer_end_ms_ = clock_.now_ms();
    next_item();
}

void LinkSession::stop_transfer(MessageId message, std::string path) {
    if (progress_.is_open()) {
        progress_.advance(-1, "");
    }
    engine_.post_dialog_close();
    if (message != MessageId::none) {
        host_->report(message);
    }
    if (outcome_.ok) {
        outcome_.ok = false;
        outcome_.message = message;
        outcome_.path = std::move(path);
        outcome_.stopped = true;
    }
}

void LinkSession::next_file() {
    const int model = engine_.settings().model_code;
    if (merge_pending_) {
        merge_pending_ = false;
        const Bytes block = engine_.take_received_payload();
        const Bytes merged = merge_window_setup(block, held_payload_, held_is_zoom_);
        held_payload_.clear();
        engine_.run_setup_item_send(0x2B, merged);
        return;
    }
    if (file_index_ >= 0 && file_index_ < static_cast<int>(reports_.size()) &&
        reports_[static_cast<std::size_t>(file_index_)].outcome == FileOutcome::pending) {
        reports_[static_cast<std::size_t>(file_index_)].outcome = FileOutcome::sent;
    }
    SendableFile file;
    for (;;) {
        ++file_index_;
        if (file_index_ >= static_cast<int>(paths_.size())) {
            transfer_end_ms_ = clock_.now_ms();
            progress_.advance(1, "");
            engine_.post_dialog_close();
            return;
        }
        const std::string& path = paths_[static_cast<std::size_t>(file_index_)];
        progress_.advance(file_index_ > 0 ? 1 : 0, base_name(path));
        file = link::read_file_for_sending(fs_, path, model);
        if (file.result == FileResult::ok) {
            break;
        }
        reports_[static_cast<std::size_t>(file_index_)].outcome = FileOutcome::skipped;
        if (questions_.ask_skip(send_failure_message(file.result), path) == SkipAnswer::cancel) {
            stop_transfer(MessageId::none);
            return;
        }
    }
    switch (file.send_class) {
        case 0x22: {
            const auto type = file_type(file.type_letter);
            engine_.run_named_file_send(make_name(type ? type->category : ""), file.payload);
            return;
        }
        case 0x2A:
        case 0x2B:
            // The calculator keeps window setup and zoom in one block: fetch it, merge, send.
            held_payload_ = std::move(file.payload);
            held_is_zoom_ = file.send_class == 0x2A;
            merge_pending_ = true;
            engine_.run_setup_item_receive(0x6B);
            return;
        default:
            engine_.run_setup_item_send(file.send_class, file.payload);
            return;
    }
}

namespace {

// The questions of storing an item, passed on to the transfer's own; remembers what happened
// to tell a kept file from a written one, and the message that stopped the transfer.
class StoreQuestions final : public FileQuestions {
public:
    explicit StoreQuestions(FileQuestions& questions) : questions_(questions) {}
    OverwriteAnswer ask_overwrite(std::string_view path) override {
        const OverwriteAnswer answer = questions_.ask_overwrite(path);
        kept = answer == OverwriteAnswer::skip || answer == OverwriteAnswer::cancel;
        return answer;
    }
    SkipAnswer ask_skip(MessageId message, std::string_view path) override {
        return questions_.ask_skip(message, path);
    }
    void report(MessageId reported) override { message = reported; }

    bool kept = false;
    MessageId message = MessageId::none;

private:
    FileQuestions& questions_;
};

}  // namespace

bool LinkSession::save_received(const ReceiveItem& item, Bytes payload) {
    FileReport& report = reports_[static_cast<std::size_t>(item_index_ - 1)];
    begin_received_item(receive_state_, item.letter, item.request);
    StoreQuestions questions(questions_);
    const StoreOutcome stored =
        store_received_item(fs_, questions, receive_state_, folder_, item.line_text, payload);
    if (stored == StoreOutcome::continue_receiving) {
        report.outcome = questions.kept ? FileOutcome::kept : FileOutcome::received;
        return true;
    }
    if (questions.kept) {
        report.outcome = FileOutcome::kept;
        stop_transfer(MessageId::none);
    } else {
        report.outcome = FileOutcome::failed;
        stop_transfer(questions.message, join_folder(folder_, safe_leaf_name(item.line_text)));
    }
    return false;
}

void LinkSession::next_item() {
    ++item_index_;
    const int count = static_cast<int>(chosen_.size());
    if (item_index_ > 0) {
        const ReceiveItem& saved = chosen_[static_cast<std::size_t>(item_index_ - 1)];
        if (!save_received(saved, engine_.take_received_payload())) {
            return;
        }
        if (item_index_ >= count) {
            transfer_end_ms_ = clock_.now_ms();
            progress_.advance(1, "");
            engine_.post_dialog_close();
            return;
        }
        progress_.advance(1, "");
    }
    const ReceiveItem& item = chosen_[static_cast<std::size_t>(item_index_)];
    progress_.advance(0, item.line_text);
    switch (item.letter) {
        case 'b':
            engine_.run_setup_item_receive(0x67);
            return;
        case 'v':
            engine_.run_setup_item_receive(0x68);
            return;
        case 't':
            engine_.run_setup_item_receive(0x69);
            return;
        case 'w':
        case 'z':
            engine_.run_setup_item_receive(0x6B);
            return;
        default: {
            const auto type = file_type(item.letter);
            engine_.run_named_item_receive(make_name(type ? type->category : ""), item.request,
                                           item.form == RequestForm::named);
            return;
        }
    }
}

}  // namespace travex::link
