// The simulated calculator's update side: what it answers, what it refuses, and how it shares
// the line with the ordinary link's calculator.
#include <gtest/gtest.h>

#include <tuple>

#include "link/link_packets.h"
#include "repro/repro_packets.h"
#include "sim/sim_calculator.h"
#include "sim/sim_firmware.h"

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
