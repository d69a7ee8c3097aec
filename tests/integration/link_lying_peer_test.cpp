// A calculator on a real pseudo-terminal that lies about block lengths: the receive fails at
// once with "Communication has failed." instead of waiting for bytes that never complete the
// block while a trickle keeps the line from ever falling quiet.
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/le_bytes.h"
#include "link/real_clock.h"
#include "link/serial_port_posix.h"
#include "link_test_support.h"
#include "sim/pty_server.h"

namespace travex {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using linktest::calc_name;
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

class LyingPeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("travex-liar-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Receives `wanted` from the lying calculator over a pseudo-terminal; answers the outcome
    // and how long it took.
    std::pair<link::LinkOutcome, Clock::duration> receive(LyingCalculator& peer,
                                                          std::string wanted) {
        std::string error;
        auto server = sim::open_pty_server((dir_ / "calc").string(), error);
        EXPECT_TRUE(server) << error;
        if (!server) {
            return {};
        }
        std::atomic<bool> failed{false};
        std::jthread pump([&](std::stop_token stop) {
            while (!stop.stop_requested() && !failed) {
                failed = !server->pump(peer, 5);
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
        const link::LinkOutcome outcome = session.receive(
            [&](const std::vector<link::ReceiveItem>& all) {
                std::vector<link::ReceiveItem> chosen;
                for (const auto& item : all) {
                    if (item.line_text == wanted) {
                        chosen.push_back(item);
                    }
                }
                return chosen;
            },
            "in");
        const auto took = Clock::now() - start;
        EXPECT_TRUE(files.files.empty()) << "nothing of the lying block is stored";
        EXPECT_FALSE(port.is_open());
        pump.request_stop();
        return {outcome, took};
    }

    fs::path dir_;
};

TEST_F(LyingPeerTest, AbsurdItemBlockLengthFailsAtOnceWithCode5) {
    // Lengths far beyond what the item information announced, up to the largest the field holds.
    for (const std::uint32_t lie : {0x7FFFFFF0u, 0xFFFFFFFFu, 4000u}) {
        SCOPED_TRACE(lie);
        LyingCalculator peer(LyingCalculator::Lie::item_block, lie);
        Bytes reply{0x00};
        const Bytes body = pattern(300, 1);
        reply.insert(reply.end(), body.begin(), body.end());
        peer.calculator.memory().put_named(link::make_name("PROGRAM"), calc_name("ONE"), reply);
        const auto [outcome, took] = receive(peer, "one.g6p");
        EXPECT_EQ(outcome.code, link::code::kCommunicationFailed) << "stopped " << outcome.stopped;
        EXPECT_LT(took, std::chrono::seconds(3)) << "the block length is refused, not waited for";
    }
}

TEST_F(LyingPeerTest, AbsurdSetupItemLengthFailsAtOnceWithCode5) {
    LyingCalculator peer(LyingCalculator::Lie::setup_length, 0x7FFFFFF0u);
    peer.calculator.memory().put_setup(0x2B, pattern(180, 9));
    const auto [outcome, took] = receive(peer, "winsetup.g6w");
    EXPECT_EQ(outcome.code, link::code::kCommunicationFailed) << "stopped " << outcome.stopped;
    EXPECT_LT(took, std::chrono::seconds(3));
}

}  // namespace
}  // namespace travex
