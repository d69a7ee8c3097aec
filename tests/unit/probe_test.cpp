#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/hello_probe.h"
#include "link/port_probe.h"
#include "link/virtual_port.h"
#include "sim/sim_calculator.h"

namespace travex {
namespace {

TEST(PortList, NumbersFromDeviceNamesAscendBelowOneHundredAndTheSavedOneShowsWhilePresent) {
    const std::vector<std::string> names = {"COM10", "COM3", "COM100", "COM99",
                                            "COM3",  "COM0", "COMx",   "COM99999999999"};
    EXPECT_EQ(usable_port_numbers(names), (std::vector<int>{3, 10, 99}));
    const std::vector<int> ports = {2, 5, 9};
    EXPECT_EQ(displayed_port(ports, 5), 5);
    EXPECT_EQ(displayed_port(ports, 4), 2);
    EXPECT_EQ(displayed_port({}, 5), std::nullopt);
}

TEST(PortProbeSteps, AFoundPortStaysInForceAndExhaustionOrCancelRestoreTheSavedOne) {
    PortProbe probe({3, 5}, 9);
    ASSERT_EQ(probe.start(), PortProbe::Next::probe);
    EXPECT_EQ(probe.port_in_force(), 3);  // the probed port is the setting while it is tried
    EXPECT_EQ(probe.report(false, false), PortProbe::Next::probe);
    EXPECT_EQ(probe.report(true, true), PortProbe::Next::found) << "an answer beats a cancel";
    EXPECT_EQ(probe.progress(), 10000);
    EXPECT_EQ(probe.report(false, true), PortProbe::Next::found) << "late reports change nothing";
    EXPECT_EQ(probe.port_in_force(), 5);

    PortProbe cancelled({4, 5, 6}, 2);
    EXPECT_EQ(cancelled.report(false, true), PortProbe::Next::exhausted);
    EXPECT_EQ(cancelled.progress(), 0);
    EXPECT_EQ(cancelled.port_in_force(), 2);
    PortProbe none({}, 2);
    EXPECT_EQ(none.start(), PortProbe::Next::exhausted);
    EXPECT_EQ(none.progress_step(), 0);
}

TEST(HelloProbe, WrongModelPortsThatDoNotOpenAndAnAbortAreFailures) {
    VirtualClock clock;
    const link::LinkSettings settings;
    sim::SimCalculator calculator;
    calculator.add_fault({sim::FaultKind::wrong_id2, 1});
    VirtualPort port(clock, &calculator);
    port.set_port_number(4);
    EXPECT_EQ(link::probe_with_hello(port, 4, settings, clock).code, link::code::kIncorrectModel);
    VirtualPort silent(clock, nullptr);
    silent.set_port_number(1);
    int ticks = 0;
    const auto r = link::probe_with_hello(silent, 1, settings, clock, [&] { return ++ticks > 3; });
    EXPECT_FALSE(r.answered);
    EXPECT_FALSE(silent.is_open());
    EXPECT_LT(ticks, 30) << "the probe ended soon after the abort";
}

}  // namespace
}  // namespace travex
