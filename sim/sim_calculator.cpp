#include "sim/sim_calculator.h"

#include <algorithm>

#include "base/le_bytes.h"

namespace travex::sim {
namespace {

using namespace travex::link;

ItemName name_at(const Bytes& packet, std::size_t at) {
    ItemName name;
    std::copy_n(packet.begin() + static_cast<std::ptrdiff_t>(at), kNameLength, name.begin());
    return name;
}

bool is_setup_request(std::uint8_t code) {
    return code == 0x67 || code == 0x68 || code == 0x69 || code == 0x6B;
}

bool is_setup_announcement(std::uint8_t code) {
    return code == 0x27 || code == 0x28 || code == 0x29 || code == 0x2B;
}

}  // namespace

SimCalculator::SimCalculator(int model_code) {
    if (const auto id = model_identifier(model_code)) {
        id_ = *id;
    }
}

Bytes SimCalculator::short_reply(std::uint8_t code) const {
    return short_packet(id_[0], id_[1], code);
}

Bytes SimCalculator::block_reply(const Bytes& body) const {
    return block_packet(id_[0], id_[1], body);
}

Bytes SimCalculator::item_block(const Bytes& payload, bool with_name) const {
    Bytes body(8, 0);
    if (with_name) {
        body.insert(body.end(), requested_.begin(), requested_.end());
    }
    body.insert(body.end(), payload.begin(), payload.end());
    write_u32le(body, 0, static_cast<std::uint32_t>(body.size()));
    write_u32le(body, 4, static_cast<std::uint32_t>(payload.size()));
    return block_reply(body);
}

std::size_t SimCalculator::expected_length() const {
    switch (stage_) {
        case Stage::dir_name:
        case Stage::item_category:
        case Stage::item_requested:
            return kNameLength + 4;
        case Stage::send_name_length:
            return kNameLength + 4 + 4;
        case Stage::setup_send_length:
            return 8;
        case Stage::send_data:
        case Stage::setup_send_data:
            return std::size_t{incoming_length_} + 4;
        default:
            return kShortPacketLength;
    }
}

Bytes SimCalculator::on_receive(std::span<const std::uint8_t> bytes) {
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    Bytes out;
    while (input_.size() >= 2) {
        if (input_[0] != kComputerHeader0 || input_[1] != kComputerHeader1) {
            input_.erase(input_.begin());  // out of step: look for the next header
            cancel_scan_from_ = 0;
            ++stats_.bad_packets;
            continue;
        }
        std::size_t need = expected_length();
        if (need != kShortPacketLength && input_.size() >= kShortPacketLength) {
            // A cancel, hello or goodbye can cut into an exchange that waits for a block.
            const std::uint8_t c = input_[2];
            const bool control = c == kCancel || c == kNak || c == kHello || c == kGoodbye;
            if (control && checksum_matches(
                               std::span<const std::uint8_t>(input_.data(), kShortPacketLength))) {
                need = kShortPacketLength;
            }
        }
        if (input_.size() < need) {
            // A cancel from the computer can cut a block short: drop the part and the cancel.
            if (need != kShortPacketLength && drop_through_cancel()) {
                continue;
            }
            break;
        }
        const Bytes packet(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(need));
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(need));
        cancel_scan_from_ = 0;
        if (!checksum_matches(packet)) {
            ++stats_.bad_packets;
            if (!silent_) {
                ++stats_.naks_sent;
                const Bytes nak = short_reply(kNak);
                out.insert(out.end(), nak.begin(), nak.end());
            }
            continue;
        }
        const Bytes answer = handle_packet(packet);
        out.insert(out.end(), answer.begin(), answer.end());
    }
    return out;
}

bool SimCalculator::drop_through_cancel() {
    const Bytes cancel = short_packet(kComputerHeader0, kComputerHeader1, kCancel);
    // Only the bytes that came since the last look can complete a cancel.
    const std::size_t from = std::max<std::size_t>(1, cancel_scan_from_);
    const auto at = std::search(input_.begin() + static_cast<std::ptrdiff_t>(from), input_.end(),
                                cancel.begin(), cancel.end());
    if (at == input_.end()) {
        cancel_scan_from_ = input_.size() >= cancel.size() ? input_.size() - cancel.size() + 1 : 0;
        return false;
    }
    cancel_scan_from_ = 0;
    input_.erase(input_.begin(), at + static_cast<std::ptrdiff_t>(cancel.size()));
    ++stats_.cancels_received;
    stage_ = Stage::idle;
    return true;
}

Bytes SimCalculator::reply(std::vector<Bytes> packets, Stage next, bool storing) {
    ++stats_.replies;
    refused_ = false;
    if (silent_) {
        return {};
    }
    Bytes correct;
    for (const Bytes& p : packets) {
        correct.insert(correct.end(), p.begin(), p.end());
    }
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        const bool due = it->at == stats_.replies || (it->at == 0 && storing);
        if (!due) {
            continue;
        }
        const Fault fault = *it;
        faults_.erase(it);
        switch (fault.kind) {
            case FaultKind::bad_checksum: {
                last_transmission_ = packets.back();
                stage_ = next;
                Bytes bad = correct;
                bad[packets[0].size() - 1] ^= 0x5A;
                return bad;
            }
            case FaultKind::nak:
                ++stats_.naks_sent;
                refused_ = true;
                return short_reply(kNak);
            case FaultKind::silence:
                silent_ = true;
                refused_ = true;
                return {};
            case FaultKind::wrong_id1:
            case FaultKind::wrong_id2: {
                Bytes bad = correct;
                bad[fault.kind == FaultKind::wrong_id1 ? 0 : 1] = '0';
                stage_ = Stage::idle;
                refused_ = true;
                return bad;
            }
            case FaultKind::cancel82:
            case FaultKind::cancel83:
            case FaultKind::memory_full:
                stage_ = Stage::refusal_ack;
                refused_ = true;
                last_transmission_ =
                    short_reply(fault.kind == FaultKind::cancel82   ? kCancel
                                : fault.kind == FaultKind::cancel83 ? kCalculatorCancel
                                                                    : kMemoryFull);
                return last_transmission_;
            case FaultKind::truncate: {
                stage_ = Stage::idle;
                refused_ = true;
                const std::size_t keep = std::max<std::size_t>(3, packets[0].size() / 2);
                return Bytes(packets[0].begin(),
                             packets[0].begin() + static_cast<std::ptrdiff_t>(
                                                      std::min(keep, packets[0].size() - 1)));
            }
        }
    }
    // A negative acknowledgement makes the calculator repeat its last packet: of an answer
    // of two packets (acknowledgement and go-ahead) only the go-ahead.
    last_transmission_ = packets.back();
    stage_ = next;
    return correct;
}

Bytes SimCalculator::handle_packet(const Bytes& packet) {
    if (packet.size() == kShortPacketLength) {
        const std::uint8_t code = packet[2];
        if (code == kNak) {
            ++stats_.naks_received;
            return silent_ ? Bytes{} : last_transmission_;
        }
        if (code == kCancel) {
            ++stats_.cancels_received;
            stage_ = Stage::idle;
            return {};
        }
        if (stage_ == Stage::idle || code != kAck) {
            stage_ = Stage::idle;
            return handle_command(code);
        }
        switch (stage_) {
            case Stage::dir_ack_before_echo:
                return reply({block_reply(Bytes(category_.begin(), category_.end()))},
                             Stage::dir_ack_before_list);
            case Stage::dir_ack_before_list: {
                const std::vector<ItemName> names = memory_.directory(category_);
                const std::size_t n = std::min<std::size_t>(names.size(), 255);
                Bytes body{static_cast<std::uint8_t>(n)};
                for (std::size_t i = 0; i < n; ++i) {
                    body.insert(body.end(), names[i].begin(), names[i].end());
                }
                return reply({block_reply(body)}, Stage::dir_ack_after_list);
            }
            case Stage::item_ack_before_info: {
                Bytes body(category_.begin(), category_.end());
                const Bytes* item = memory_.find_item(category_, requested_);
                append_u32le(body, static_cast<std::uint32_t>(item ? item->size() : 0));
                return reply({block_reply(body)}, Stage::item_ack_before_block);
            }
            case Stage::item_ack_before_block: {
                const Bytes* item = memory_.find_item(category_, requested_);
                const Bytes answer =
                    reply({item_block(item ? *item : Bytes{}, named_category(category_))},
                          Stage::item_ack_after_block);
                if (!refused_) {
                    ++stats_.items_sent;
                }
                return answer;
            }
            case Stage::setup_ack_before_length: {
                const Bytes* block = memory_.find_setup(setup_code_);
                Bytes body;
                append_u32le(body, static_cast<std::uint32_t>(block ? block->size() : 0));
                return reply({block_reply(body)}, Stage::setup_ack_before_data);
            }
            case Stage::setup_ack_before_data: {
                const Bytes* block = memory_.find_setup(setup_code_);
                const Bytes answer =
                    reply({block_reply(block ? *block : Bytes{})}, Stage::setup_ack_after_data);
                if (!refused_) {
                    ++stats_.items_sent;
                }
                return answer;
            }
            case Stage::screen_ack_before_info:
                return reply({block_reply(Bytes{0x00, 0x40, 0x00, 0x84})},
                             Stage::screen_ack_before_image);
            case Stage::screen_ack_before_image:
                return reply({block_reply(memory_.screen())}, Stage::screen_ack_after_image);
            default:
                stage_ = Stage::idle;
                return {};
        }
    }

    switch (stage_) {
        case Stage::dir_name:
            category_ = name_at(packet, 2);
            return reply({short_reply(kAck), short_reply(0x21)}, Stage::dir_ack_before_echo);
        case Stage::item_category:
            category_ = name_at(packet, 2);
            return reply({short_reply(kAck)}, Stage::item_requested);
        case Stage::item_requested:
            requested_ = name_at(packet, 2);
            if (memory_.find_item(category_, requested_) == nullptr) {
                // No such item: the calculator refuses the transfer.
                return reply({short_reply(kCancel)}, Stage::refusal_ack);
            }
            return reply({short_reply(kAck), short_reply(0x22)}, Stage::item_ack_before_info);
        case Stage::send_name_length:
            category_ = name_at(packet, 2);
            incoming_length_ = read_u32le(packet, 2 + kNameLength);
            return reply({short_reply(kAck)}, Stage::send_data);
        case Stage::setup_send_length:
            incoming_length_ = read_u32le(packet, 2);
            return reply({short_reply(kAck)}, Stage::setup_send_data);
        case Stage::send_data:
        case Stage::setup_send_data: {
            const Bytes data(packet.begin() + 2, packet.end() - 2);
            const bool named = stage_ == Stage::send_data;
            Bytes payload = data;
            if (named) {
                // The wrapping: length + 8, then 0x30 0 0 0, then the payload.
                payload = data.size() >= 8 ? Bytes(data.begin() + 8, data.end()) : Bytes{};
            }
            if (memory_.used_bytes() + payload.size() > capacity()) {
                return reply({short_reply(kMemoryFull)}, Stage::refusal_ack);
            }
            Bytes answer = reply({short_reply(kAck)}, Stage::idle, true);
            if (!refused_) {
                if (named) {
                    memory_.store_sent_item(category_, payload);
                } else {
                    memory_.put_setup(setup_code_, payload);
                }
                ++stats_.items_stored;
            }
            return answer;
        }
        default:
            ++stats_.bad_packets;
            stage_ = Stage::idle;
            return {};
    }
}

Bytes SimCalculator::handle_command(std::uint8_t code) {
    if (code == kHello) {
        ++stats_.hellos;
        return reply({short_reply(kAck)}, Stage::idle);
    }
    if (code == kGoodbye) {
        ++stats_.goodbyes;
        stage_ = Stage::idle;
        return {};
    }
    if (code == kDirectoryRequest) {
        return reply({short_reply(kAck)}, Stage::dir_name);
    }
    if (code == kItemRequest) {
        return reply({short_reply(kAck)}, Stage::item_category);
    }
    if (code == kScreenRequest) {
        return reply({short_reply(kAck), short_reply(0x23)}, Stage::screen_ack_before_info);
    }
    if (is_setup_request(code)) {
        setup_code_ = static_cast<std::uint8_t>(code - 0x40);
        if (memory_.find_setup(setup_code_) == nullptr) {
            return reply({short_reply(kCancel)}, Stage::refusal_ack);
        }
        return reply({short_reply(kAck), short_reply(setup_code_)}, Stage::setup_ack_before_length);
    }
    if (code == kNamedFileAnnouncement) {
        return reply({short_reply(kAck)}, Stage::send_name_length);
    }
    if (is_setup_announcement(code)) {
        setup_code_ = code;
        return reply({short_reply(kAck)}, Stage::setup_send_length);
    }
    return {};  // a stray acknowledgement or an unknown command: nothing to answer
}

}  // namespace travex::sim
