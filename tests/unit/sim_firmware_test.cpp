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
