// A calculator on a real pseudo-terminal that lies about block lengths: the receive fails at
// once with "Communication has failed." instead of waiting for bytes that never complete the
// block while a trickle keeps the line from ever falling quiet.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/le_bytes.h"
#include "link/real_clock.h"
#include "link/serial_port_posix.h"
#include "link_test_support.h"
#include "sim/pty_server.h"

namespace travex {
namespace {

using Clock = std::chrono::steady_clock;
using linktest::pattern;

// The simulated calculator, except that the block reply it is told to spoil announces
// `lie_length` and is followed by one byte every 20 ms (for at most 6 s, so that a receive
// that waits for the block ends with "No response." rather than never).
class LyingCalculator final : public sim::BytePeer {
public:
    enum class Lie { item_block, setup_length };

    LyingCalculator(Lie lie, std::uint32_t lie_length) : lie_(lie), lie_length_(lie_length) {}

    sim::SimCalculator calculator;

    void receive(std::span<const std::uint8_t> bytes, std::uint64_t) override {
        Bytes answer = calculator.on_receive(bytes);
        if (!lying_ && is_the_spoilt_reply(answer)) {
            lying_ = true;
            lie_started_ = Clock::now();
            Bytes length;
            append_u32le(length, lie_length_);
            if (lie_ == Lie::item_block) {
                // Only the start of the block: the rest is the trickle.
                answer.assign({'7', '5'});
                answer.insert(answer.end(), length.begin(), length.end());
            } else {
                // A well-formed length packet announcing a block that never comes whole.
                answer = link::block_packet('7', '5', length);
            }
        }
        out_.insert(out_.end(), answer.begin(), answer.end());
    }

    Bytes take_output(std::uint64_t) override {
        Bytes out;
        out.swap(out_);
        if (lying_ && Clock::now() - lie_started_ < std::chrono::seconds(6) &&
            Clock::now() - last_trickle_ >= std::chrono::milliseconds(20)) {
            last_trickle_ = Clock::now();
            out.push_back(0x55);
        }
        return out;
    }

private:
    bool is_the_spoilt_reply(const Bytes& answer) const {
        if (answer.size() < 8 || answer[0] != '7') {
            return false;
        }
        if (lie_ == Lie::item_block) {
            // The 0x15 block: its length field counts everything but header and checksum.
            return answer.size() > 19 && read_u32le(answer, 2) + 4 == answer.size();
        }
        // The 0x30 length packet of a setup item: eight bytes announcing the data block.
        return answer.size() == 8 && calculator.memory().find_setup(0x2B) != nullptr &&
               read_u32le(answer, 2) == calculator.memory().find_setup(0x2B)->size();
    }

    Lie lie_;
    std::uint32_t lie_length_;
    bool lying_ = false;
    Clock::time_point lie_started_{};
    Clock::time_point last_trickle_{};
    Bytes out_;
};

// Receives `wanted` from the lying calculator over a pseudo-terminal: the receive fails with
// code 5 well before the trickle would end, stores nothing and closes the port.
void expect_refused_at_once(LyingCalculator& peer, const std::string& wanted) {
    std::string error;
    const std::string link_path =
        ::testing::TempDir() + "travex-liar-" + std::to_string(::getpid());
    auto server = sim::open_pty_server(link_path, error);
    ASSERT_TRUE(server) << error;
    std::jthread pump([&](std::stop_token stop) {
        while (!stop.stop_requested() && server->pump(peer, 5)) {
        }
    });
    PosixSerialPort port([&](int) { return server->device_path(); }, real_clock(), 0);
    link::LinkSettings settings;
    settings.timer_interval_ms = 10;
    testing::FaultFileSystem files;
    linktest::ScriptedUi ui;
    link::CountingProgress progress;
    link::LinkSession session(port, real_clock(), settings, files, ui, progress);
    const auto start = Clock::now();
    const link::LinkOutcome outcome = session.receive(linktest::choose({wanted}), "in");
    EXPECT_EQ(outcome.code, link::code::kCommunicationFailed) << "stopped " << outcome.stopped;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3)) << "the length is refused at once";
    EXPECT_TRUE(files.files.empty()) << "nothing of the lying block is stored";
    EXPECT_FALSE(port.is_open());
}

TEST(LyingPeer, AbsurdItemBlockOrSetupItemLengthFailsAtOnceWithCode5) {
    // Lengths far beyond what the item information announced, up to the largest the field holds.
    for (const std::uint32_t lie : {0x7FFFFFF0u, 0xFFFFFFFFu, 4000u}) {
        SCOPED_TRACE(lie);
        LyingCalculator peer(LyingCalculator::Lie::item_block, lie);
        linktest::put_program(peer.calculator, "ONE", pattern(300, 1));
        expect_refused_at_once(peer, "one.g6p");
    }
    LyingCalculator peer(LyingCalculator::Lie::setup_length, 0x7FFFFFF0u);
    peer.calculator.memory().put_setup(0x2B, pattern(180, 9));
    expect_refused_at_once(peer, "winsetup.g6w");
}

}  // namespace
}  // namespace travex
