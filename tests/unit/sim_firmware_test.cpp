// The simulated calculator's update side: what it answers, what it refuses, and how it shares
// the line with the ordinary link's calculator.
#include <gtest/gtest.h>

#include "link/link_packets.h"
#include "repro/repro_packets.h"
#include "sim/sim_calculator.h"
#include "sim/sim_firmware.h"

namespace travex::sim {
namespace {

using namespace travex::repro;

Bytes feed(SimFirmware& sim, const Bytes& bytes) {
    return sim.on_receive(bytes);
}

Bytes ok() {
    return Bytes{'O', 'K'};
}

Bytes ng() {
    return Bytes{'N', 'G'};
}

TEST(SimFirmware, AnswersTheCommandsAndSwitchesToUpdateMode) {
    SimFirmware sim({'2', '0', '7'});
    Bytes ack{'7', '5', 0x01};
    append_sum_le(ack);
    EXPECT_EQ(feed(sim, command_packet(kCommandHello)), ack);
    const Bytes version = feed(sim, command_packet(kCommandVersion));
    ASSERT_EQ(version.size(), kVersionReplyLength);
    EXPECT_EQ(version_of_reply(version), (std::array<char, 3>{'2', '0', '7'}));
    EXPECT_FALSE(sim.in_update_mode());
    EXPECT_EQ(feed(sim, command_packet(kCommandUpdate)), ack);
    EXPECT_TRUE(sim.in_update_mode());
    EXPECT_EQ(sim.listening_baud(), kHeaderBaud);
    // A command with the link's high-first sum is no update command: nothing answers it here.
    EXPECT_TRUE(feed(sim, Bytes{0x31, 0x31, 0x42, 0x00, 0xA4}).empty());
}

TEST(SimFirmware, TakesTheHeaderPagesAndEndMarker) {
    SimFirmware sim;
    sim.add_fault({FirmwareFaultKind::update_mode});
    FlashLayout layout;
    layout.major = 0x33;
    EXPECT_EQ(feed(sim, data_packet(0, header_data(layout, true, 0xA0))), ok());
    EXPECT_EQ(sim.stats().data_baud, 115200u);
    EXPECT_EQ(sim.listening_baud(), 115200u);
    const Bytes page(0x100, 0x5A);
    EXPECT_EQ(feed(sim, data_packet(0xF00100, page)), ok());
    EXPECT_EQ(sim.flash()[0x100], 0x5A);
    EXPECT_EQ(sim.flash()[0xFF], 0xFF);
    // A wrong sum, an address outside the flash, a page that runs past its end: refused.
    Bytes bad = data_packet(0xF00200, page);
    bad.back() ^= 1;
    EXPECT_EQ(feed(sim, bad), ng());
    EXPECT_EQ(feed(sim, data_packet(0xEFFFFF, page)), ng());
    EXPECT_EQ(feed(sim, data_packet(0xFFFFF0, page)), ng());
    EXPECT_EQ(sim.stats().pages_written, 1);
    EXPECT_EQ(sim.stats().bad_packets, 3);
    EXPECT_EQ(feed(sim, end_marker_packet()), ok());
    EXPECT_FALSE(sim.in_update_mode());
    EXPECT_EQ(sim.stats().updates_completed, 1);
}

TEST(SimFirmware, RefusesAHeaderWithoutTheMachineCodeOrASpeedItKnows) {
    SimFirmware sim;
    sim.add_fault({FirmwareFaultKind::update_mode});
    EXPECT_EQ(feed(sim, data_packet(0, Bytes{'7', '4', 0x33, 0x80, 0x00})), ng());
    EXPECT_EQ(feed(sim, data_packet(0, Bytes{'7', '3', 0x33, 0x70, 0x00})), ng());
    EXPECT_EQ(feed(sim, data_packet(4, Bytes{'7', '3', 0x33, 0x80, 0x00})), ng());
    EXPECT_EQ(feed(sim, data_packet(0, Bytes{0x33, 0x90, 0x00})), ok());
    // A length no page can have: the stream is out of step.
    Bytes wild{0, 0, 0xF0, 0, 0xFF, 0xFF};
    EXPECT_EQ(feed(sim, wild), ng());
}

TEST(SimFirmware, BytesAtTheWrongSpeedAreNoise) {
    SimFirmware sim;
    std::uint32_t line = 19200;
    sim.set_line_speed_source([&line] { return line; });
    EXPECT_TRUE(feed(sim, command_packet(kCommandHello)).empty());
    EXPECT_EQ(sim.stats().noise_bytes, 5);
    line = 38400;
    EXPECT_EQ(feed(sim, command_packet(kCommandHello)).size(), kAckLength);
}

TEST(SimFirmware, PassesTheOrdinaryLinkOnToItsCalculator) {
    SimCalculator link;
    SimFirmware sim;
    sim.set_link_peer(&link, [&link] { return link.idle(); });
    const Bytes hello = link::short_packet(0x31, 0x31, link::kHello);
    Bytes answer;
    for (const std::uint8_t b : hello) {
        const Bytes part = sim.on_receive(std::span(&b, 1));
        answer.insert(answer.end(), part.begin(), part.end());
    }
    EXPECT_EQ(answer, link::short_packet('7', '5', link::kAck));
    EXPECT_EQ(link.stats().hellos, 1);
    EXPECT_EQ(sim.stats().hellos, 0);
    // And the update's own hello stays with the update side.
    EXPECT_EQ(feed(sim, command_packet(kCommandHello)).size(), kAckLength);
    EXPECT_EQ(sim.stats().hellos, 1);
    EXPECT_EQ(link.stats().hellos, 1);
}

TEST(SimFirmware, FaultsAreReadFromTheirNames) {
    std::string error;
    auto f = parse_firmware_fault("page-ng:3", error);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->kind, FirmwareFaultKind::page_refused);
    EXPECT_EQ(f->at, 3);
    f = parse_firmware_fault("silent-after:0", error);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->kind, FirmwareFaultKind::silent_after);
    EXPECT_TRUE(parse_firmware_fault("no-header", error));
    EXPECT_TRUE(parse_firmware_fault("update-mode", error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(parse_firmware_fault("page-ng", error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(parse_firmware_fault("page-ng:0", error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(parse_firmware_fault("no-header:2", error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(parse_firmware_fault("checksum:2", error));
    EXPECT_TRUE(error.empty()) << "a fault of the ordinary link is left to it";
    EXPECT_FALSE(is_firmware_fault_name("silence"));
}

}  // namespace
}  // namespace travex::sim
