// The transfer against the simulated calculator's update side, on a virtual port whose line
// runs at the speed the port is set to, and a virtual clock: every run is exact and repeatable.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "repro/firmware_transfer.h"
#include "repro/repro_packets.h"
#include "sim/firmware_image_maker.h"
#include "sim/sim_firmware.h"

namespace travex::repro {
namespace {

struct Observed final : TransferObserver {
    int steps = 0;
    std::function<bool()> stop;  // the user's stop request, when there is one
    void on_stage(TransferStage) override {}
    bool stop_requested() override { return stop && stop(); }
    void on_progress_step() override { ++steps; }
    void on_page_written(const PlannedPage&, std::size_t, std::size_t) override {}
};

VirtualPortTiming line_follows_baud() {
    VirtualPortTiming t;
    t.rate_follows_baud = true;
    return t;
}

class Transfer : public ::testing::Test {
protected:
    VirtualClock clock;
    sim::SimFirmware calculator{{'1', '0', '0'}};
    VirtualPort port{clock, &calculator, line_follows_baud()};
    ReproSettings settings;
    CheckedImage image{sim::make_firmware_image({{0, 1, 2, 17, 59, 60, 63}, 5}), {'1', '0', '1'}};
    Observed observed;

    Transfer() {
        calculator.set_line_speed_source([this] { return port.delivery_baud(); });
    }

    TransferReport run() {
        FirmwareTransfer transfer(port, clock, settings, image, 1, &observed);
        const TransferReport report = transfer.run();
        EXPECT_FALSE(port.is_open());
        EXPECT_EQ(port.baud(), kLinkBaud) << "the port is left at the link's speed";
        return report;
    }

    // The flash the image should leave: its non-blank pages, blank elsewhere.
    Bytes expected_flash() const {
        Bytes flash(sim::kSimFlashSize, 0xFF);
        for (const PlannedPage& p : plan_pages(flash_layout(settings), image.bytes)) {
            std::copy_n(image.bytes.begin() + p.offset, p.length,
                        flash.begin() + (p.address - sim::kSimFlashBase));
        }
        return flash;
    }

    std::size_t count_on_wire(const Bytes& packet) const {
        const Bytes& log = port.wire_log();
        std::size_t n = 0;
        for (auto it = log.begin();
             (it = std::search(it, log.end(), packet.begin(), packet.end())) != log.end(); ++it) {
            ++n;
        }
        return n;
    }
};

TEST_F(Transfer, ASilentLineEndsWithNoResponseAfterFourHeadersHellosAndGoodbyes) {
    port.set_peer(nullptr);
    EXPECT_EQ(run().result, TransferResult::no_response);
    EXPECT_EQ(count_on_wire(command_packet(kCommandHello)), 4u);
    EXPECT_EQ(count_on_wire(command_packet(kCommandVersion)), 0u);
    EXPECT_EQ(count_on_wire(command_packet(kCommandGoodbye)), 4u);
    EXPECT_EQ(count_on_wire(data_packet(0, header_data(flash_layout(settings), true, 0x80))), 4u);
}

// A stop while the calculator is in its normal mode leaves it there.
TEST_F(Transfer, AStopBeforeUpdateModeSendsGoodbyeAndNeverTheSwitch) {
    observed.stop = [] { return true; };
    EXPECT_TRUE(run().stopped);
    EXPECT_TRUE(port.wire_log().empty()) << "a stop before the first header sends nothing";

    observed.stop = [this] { return calculator.stats().version_queries > 0; };
    EXPECT_TRUE(run().stopped);
    EXPECT_EQ(calculator.stats().mode_switches, 0);
    EXPECT_EQ(calculator.stats().goodbyes, 1);
    EXPECT_FALSE(calculator.in_update_mode());
}

// A page refused or a calculator gone silent after two pages: no response, after no longer than
// the reply time limit, and the pages already written stay.
TEST_F(Transfer, APageFaultEndsWithNoResponseAndEarlierPagesStayWritten) {
    for (const bool refused : {true, false}) {
        sim::SimFirmware calc{{'1', '0', '0'}};
        calc.set_line_speed_source([this] { return port.delivery_baud(); });
        using Kind = sim::FirmwareFaultKind;
        calc.add_fault({refused ? Kind::page_refused : Kind::silent_after, refused ? 3 : 2});
        port.set_peer(&calc);
        const std::uint64_t start = clock.now_ms();
        EXPECT_EQ(run().result, TransferResult::no_response);
        EXPECT_EQ(calc.page_log().size(), 2u);
        EXPECT_GE(clock.now_ms() - start, refused ? 0 : kPageReplyMs);
        EXPECT_LT(clock.now_ms() - start, kPageReplyMs + 120000);
    }
    EXPECT_EQ(observed.steps, 4) << "two steps in each run";
}

TEST_F(Transfer, ACharWaitPausesAfterEveryByte) {
    calculator.add_fault({sim::FirmwareFaultKind::update_mode});
    image.bytes = sim::make_firmware_image({{}, 2});
    settings.enable_char_wait = 1;
    settings.char_wait = 1;
    // Header, the model field's page, the stored sum's page, end marker.
    const std::size_t bytes = 13 + (0x4000 + 8) + (0x2000 + 8) + 8;
    ASSERT_EQ(run().result, TransferResult::finished);
    EXPECT_EQ(port.stats().writes, static_cast<int>(bytes));
    EXPECT_GE(clock.now_ms(), bytes * 1 + 4 * kPauseAfterPacketMs);
}

TEST_F(Transfer, AWriteThatOnlyPartlyDrainsIsFinishedWithTheRest) {
    calculator.add_fault({sim::FirmwareFaultKind::update_mode});
    port.limit_next_write(7);  // the header goes out in two writes
    ASSERT_EQ(run().result, TransferResult::finished);
    EXPECT_TRUE(calculator.flash() == expected_flash());
    EXPECT_EQ(calculator.stats().headers, 1);
}

}  // namespace
}  // namespace travex::repro
