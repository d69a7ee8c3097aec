#pragma once
// The calculator's side of the link, as a byte-stream peer: it parses the computer's packets
// and answers every exchange of the link scripts (hello, directory lists, named and setup items
// in both directions, the screen image, goodbye), with optional injected faults.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "link/virtual_port.h"
#include "sim/sim_faults.h"
#include "sim/sim_memory.h"

namespace travex::sim {

struct SimStats {
    int replies = 0;        // reply transmissions sent
    int naks_received = 0;  // negative acknowledgements from the computer
    int naks_sent = 0;
    int cancels_received = 0;  // 0x82 from the computer
    int bad_packets = 0;       // packets from the computer with a wrong checksum or header
    int hellos = 0;
    int goodbyes = 0;
    int items_stored = 0;
    int items_sent = 0;
};

class SimCalculator final : public PortPeer {
public:
    explicit SimCalculator(int model_code = 4);

    Bytes on_receive(std::span<const std::uint8_t> bytes) override;

    CalculatorMemory& memory() { return memory_; }
    const CalculatorMemory& memory() const { return memory_; }
    void add_fault(Fault fault) { faults_.push_back(fault); }
    const SimStats& stats() const { return stats_; }
    // True between exchanges (nothing half done).
    bool idle() const { return stage_ == Stage::idle; }
    // Total payload bytes the calculator accepts before it answers "memory full".
    void set_capacity(std::size_t bytes) { capacity_ = bytes; }

private:
    enum class Stage {
        idle,
        // directory list
        dir_name,
        dir_ack_before_echo,
        dir_ack_before_list,
        dir_ack_after_list,
        // named item receive
        item_category,
        item_requested,
        item_ack_before_info,
        item_ack_before_block,
        item_ack_after_block,
        // setup item receive
        setup_ack_before_length,
        setup_ack_before_data,
        setup_ack_after_data,
        // named file send
        send_name_length,
        send_data,
        // setup item send
        setup_send_length,
        setup_send_data,
        // screen
        screen_ack_before_info,
        screen_ack_before_image,
        screen_ack_after_image,
        // after a refusal or cancel of the calculator's own: the computer's acknowledgement
        refusal_ack,
    };

    Bytes handle_packet(const Bytes& packet);
    Bytes handle_command(std::uint8_t code);
    std::size_t expected_length() const;
    // Drops a partly received block up to and with a cancel that follows it.
    bool drop_through_cancel();
    // Builds a reply transmission, applying a fault that falls on it.
    Bytes reply(std::vector<Bytes> packets, Stage next, bool storing = false);
    Bytes short_reply(std::uint8_t code) const;
    Bytes block_reply(const Bytes& body) const;
    Bytes item_block(const Bytes& payload, bool with_name) const;
    std::size_t capacity() const { return capacity_; }

    std::array<std::uint8_t, 2> id_{'7', '5'};
    CalculatorMemory memory_;
    std::vector<Fault> faults_;
    SimStats stats_;
    Stage stage_ = Stage::idle;
    Bytes input_;
    std::size_t cancel_scan_from_ = 0;
    Bytes last_transmission_;  // the last packet sent, repeated on a negative acknowledgement
    bool silent_ = false;
    bool refused_ = false;  // the last reply was replaced by a fault or refusal
    // Exchange state.
    ItemName category_{};
    ItemName requested_{};
    std::uint8_t setup_code_ = 0;
    std::uint32_t incoming_length_ = 0;
    std::size_t capacity_ = SIZE_MAX;
};

}  // namespace travex::sim
