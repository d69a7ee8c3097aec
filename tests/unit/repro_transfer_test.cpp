// The transfer against the simulated calculator's update side, on a virtual port whose line
// runs at the speed the port is set to, and a virtual clock: every run is exact and repeatable.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "link/link_packets.h"
#include "repro/firmware_transfer.h"
#include "repro/repro_packets.h"
#include "sim/firmware_image_maker.h"
#include "sim/sim_calculator.h"
#include "sim/sim_firmware.h"

namespace travex::repro {
namespace {

struct Observed final : TransferObserver {
    std::vector<TransferStage> stages;
    int steps = 0;
    std::vector<std::uint32_t> pages;
    std::function<bool(const Observed&)> stop;  // the user's stop request, when there is one
    void on_stage(TransferStage s) override { stages.push_back(s); }
    bool stop_requested() override { return stop && stop(*this); }
    void on_progress_step() override { ++steps; }
    void on_page_written(const PlannedPage& p, std::size_t, std::size_t) override {
        pages.push_back(p.address);
    }
    bool saw(TransferStage s) const {
        return std::find(stages.begin(), stages.end(), s) != stages.end();
    }
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
        return transfer.run();
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

    void expect_port_left_closed_at_link_speed() {
        EXPECT_FALSE(port.is_open());
        EXPECT_EQ(port.baud(), kLinkBaud);
        EXPECT_EQ(port.stats().opens, port.stats().closes);
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

TEST_F(Transfer, AFullUpdateLeavesExactlyTheNonBlankPagesInFlash) {
    const TransferReport report = run();
    ASSERT_EQ(report.result, TransferResult::finished);
    const auto planned = plan_pages(flash_layout(settings), image.bytes);
    EXPECT_EQ(planned.size(), 8u);  // seven filled pages and the one holding the stored sum
    EXPECT_EQ(report.pages_written, planned.size());
    EXPECT_TRUE(calculator.flash() == expected_flash());
    std::vector<std::uint32_t> addresses;
    for (const PlannedPage& p : planned) {
        addresses.push_back(p.address);
    }
    EXPECT_EQ(calculator.page_log(), addresses);
    EXPECT_EQ(observed.pages, addresses);
    // Five large pages were sent; the blank ones gave no step.
    EXPECT_EQ(observed.steps, 5);
    // A calculator in its normal mode does not hear the direct attempt at 19200 baud: four
    // headers go unanswered, then the version check switches it to update mode.
    EXPECT_EQ(calculator.stats().version_queries, 1);
    EXPECT_EQ(calculator.stats().mode_switches, 1);
    EXPECT_FALSE(calculator.in_update_mode());
    expect_port_left_closed_at_link_speed();
}

TEST_F(Transfer, AnEqualOrOlderImageIsRefusedAndTheCalculatorToldGoodbye) {
    for (const std::array<char, 3> installed :
         {std::array<char, 3>{'1', '0', '1'}, std::array<char, 3>{'2', '0', '0'}}) {
        sim::SimFirmware calc(installed);
        calc.set_line_speed_source([this] { return port.delivery_baud(); });
        port.set_peer(&calc);
        const TransferReport report = run();
        EXPECT_EQ(report.result, TransferResult::not_newer);
        EXPECT_EQ(result_message(report.result).text, kOlderText);
        EXPECT_EQ(calc.stats().mode_switches, 0);
        EXPECT_EQ(calc.stats().goodbyes, 1) << "one goodbye that was acknowledged";
        EXPECT_EQ(calc.stats().pages_written, 0);
        EXPECT_FALSE(calc.in_update_mode());
        expect_port_left_closed_at_link_speed();
    }
}

TEST_F(Transfer, ASilentLineEndsWithNoResponseAfterFourGoodbyes) {
    port.set_peer(nullptr);
    const TransferReport report = run();
    EXPECT_EQ(report.result, TransferResult::no_response);
    EXPECT_EQ(result_message(report.result).text, kNoResponseText);
    EXPECT_EQ(count_on_wire(command_packet(kCommandHello)), 4u);
    EXPECT_EQ(count_on_wire(command_packet(kCommandVersion)), 0u);
    EXPECT_EQ(count_on_wire(command_packet(kCommandGoodbye)), 4u);
    // The header went four times in the direct attempt.
    EXPECT_EQ(count_on_wire(data_packet(0, header_data(flash_layout(settings), true, 0x80))), 4u);
    expect_port_left_closed_at_link_speed();
}

// A stop is honoured only while the calculator is in its normal mode, and leaves it there; once
// the calculator waits in update mode the update runs to its end.
TEST_F(Transfer, AStopEndsTheUpdateOnlyBeforeTheCalculatorEntersUpdateMode) {
    const Bytes header = data_packet(0, header_data(flash_layout(settings), true, 0x80));
    const Bytes hello = command_packet(kCommandHello);

    observed.stop = [](const Observed&) { return true; };
    TransferReport report = run();
    EXPECT_TRUE(report.stopped);
    EXPECT_NE(report.result, TransferResult::finished);
    EXPECT_TRUE(port.wire_log().empty()) << "a stop before the first header sends nothing";
    expect_port_left_closed_at_link_speed();

    // The first header went unanswered (the calculator is in its normal mode): no second one.
    observed = {};
    observed.stop = [&](const Observed&) { return count_on_wire(header) == 1; };
    report = run();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(count_on_wire(header), 1u);
    EXPECT_EQ(count_on_wire(hello), 0u);
    EXPECT_FALSE(calculator.in_update_mode());
    expect_port_left_closed_at_link_speed();

    // After the greeting: goodbye, never the switch to update mode.
    observed = {};
    observed.stop = [this](const Observed&) { return calculator.stats().version_queries > 0; };
    report = run();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(calculator.stats().mode_switches, 0);
    EXPECT_EQ(calculator.stats().goodbyes, 1);
    EXPECT_EQ(calculator.stats().pages_written, 0);
    EXPECT_FALSE(calculator.in_update_mode());
    expect_port_left_closed_at_link_speed();

    // In update mode a stop request changes nothing.
    observed = {};
    observed.stop = [](const Observed& o) { return o.saw(TransferStage::update_mode); };
    report = run();
    EXPECT_FALSE(report.stopped);
    EXPECT_EQ(report.result, TransferResult::finished);
    EXPECT_TRUE(calculator.flash() == expected_flash());
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
        EXPECT_EQ(calc.stats().pages_refused, refused ? 1 : 0);
        EXPECT_GE(clock.now_ms() - start, refused ? 0 : kPageReplyMs);
        EXPECT_LT(clock.now_ms() - start, kPageReplyMs + 120000);
        expect_port_left_closed_at_link_speed();
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
    EXPECT_EQ(port.wire_log().size(), bytes);
    EXPECT_EQ(port.stats().writes, static_cast<int>(bytes));
    const std::uint64_t with_wait = clock.now_ms();
    EXPECT_GE(with_wait, bytes * 1 + 4 * kPauseAfterPacketMs);

    // A negative wait is no wait: the line alone sets the pace, which is faster here.
    VirtualClock clock2;
    sim::SimFirmware calc2;
    calc2.add_fault({sim::FirmwareFaultKind::update_mode});
    VirtualPort port2(clock2, &calc2);
    settings.char_wait = -5;
    FirmwareTransfer negative(port2, clock2, settings, image, 1);
    ASSERT_EQ(negative.run().result, TransferResult::finished);
    EXPECT_EQ(port2.wire_log(), port.wire_log());
    EXPECT_LT(clock2.now_ms() + bytes / 2, with_wait);
}

TEST_F(Transfer, AWriteThatOnlyPartlyDrainsIsFinishedWithTheRest) {
    calculator.add_fault({sim::FirmwareFaultKind::update_mode});
    port.limit_next_write(7);  // the header goes out in two writes
    ASSERT_EQ(run().result, TransferResult::finished);
    EXPECT_TRUE(calculator.flash() == expected_flash());
    EXPECT_EQ(calculator.stats().headers, 1);
}

TEST_F(Transfer, APortThatDoesNotOpenIsNoResponseWithNothingSent) {
    port.fail_next_open(PortOpenResult::no_such_port);
    EXPECT_EQ(run().result, TransferResult::no_response);
    EXPECT_TRUE(port.wire_log().empty());
    FirmwareTransfer other_port(port, clock, settings, image, 7);
    EXPECT_EQ(other_port.run().result, TransferResult::no_response);
    EXPECT_FALSE(port.is_open());
}

}  // namespace
}  // namespace travex::repro

// The simulated calculator's update side: what it answers, what it refuses, and how it shares
// the line with the ordinary link's calculator.
namespace travex::sim {
namespace {

using namespace travex::repro;

const auto feed = [](SimFirmware& sim, const Bytes& bytes) { return sim.on_receive(bytes); };
const Bytes ok = {'O', 'K'};
const Bytes ng = {'N', 'G'};

TEST(SimFirmware, RefusesAHeaderWithoutTheMachineCodeOrASpeedItKnows) {
    SimFirmware sim;
    sim.add_fault({FirmwareFaultKind::update_mode});
    EXPECT_EQ(feed(sim, data_packet(0, Bytes{'7', '4', 0x33, 0x80, 0x00})), ng);
    EXPECT_EQ(feed(sim, data_packet(0, Bytes{'7', '3', 0x33, 0x70, 0x00})), ng);
    EXPECT_EQ(feed(sim, data_packet(4, Bytes{'7', '3', 0x33, 0x80, 0x00})), ng);
    EXPECT_EQ(feed(sim, data_packet(0, Bytes{0x33, 0x90, 0x00})), ok);
    // A length no page can have: the stream is out of step.
    Bytes wild{0, 0, 0xF0, 0, 0xFF, 0xFF};
    EXPECT_EQ(feed(sim, wild), ng);
}

TEST(SimFirmware, FaultsAreReadFromTheirNames) {
    // {name, understood, an error is given}; a fault of the ordinary link is left to it.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"page-ng:3", true, false},   {"silent-after:0", true, false}, {"no-header", true, false},
        {"update-mode", true, false}, {"page-ng", false, true},        {"page-ng:0", false, true},
        {"no-header:2", false, true}, {"checksum:2", false, false}};
    for (const auto& [name, understood, error_given] : cases) {
        std::string error;
        EXPECT_EQ(parse_firmware_fault(name, error).has_value(), understood) << name;
        EXPECT_EQ(!error.empty(), error_given) << name;
    }
    std::string error;
    EXPECT_EQ(parse_firmware_fault("page-ng:3", error)->kind, FirmwareFaultKind::page_refused);
    EXPECT_EQ(parse_firmware_fault("page-ng:3", error)->at, 3);
    EXPECT_EQ(parse_firmware_fault("silent-after:0", error)->kind, FirmwareFaultKind::silent_after);
    EXPECT_FALSE(is_firmware_fault_name("silence"));
}

}  // namespace
}  // namespace travex::sim
