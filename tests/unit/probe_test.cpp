
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/hello_probe.h"
#include "link/port_probe.h"
#include "link/virtual_port.h"
#include "sim/sim_calculator.h"

namespace travex {
namespace {

TEST(PortList, NumbersComeFromTheDeviceNamesAscendingAndBelowOneHundred) {
    const std::vector<std::string> names = {"COM10", "COM3", "COM100", "COM99",  "COM3",
                                            "COM",   "COMx", "COM0",   "COM250", "\\Device\\x"};
    EXPECT_EQ(usable_port_numbers(names), (std::vector<int>{3, 10, 99}));
    EXPECT_EQ(port_number_of_device_name("COM7"), 7);
    EXPECT_EQ(port_number_of_device_name("CNC12"), 12);  // any three characters before the number
    EXPECT_EQ(port_number_of_device_name("COM99999999999"), std::nullopt);
    EXPECT_TRUE(usable_port_numbers({}).empty());
}

TEST(PortList, DialogShowsTheSavedPortWhilePresentElseTheLowest) {
    const std::vector<int> ports = {2, 5, 9};
    EXPECT_EQ(displayed_port(ports, 5), 5);
    EXPECT_EQ(displayed_port(ports, 4), 2);
    EXPECT_EQ(displayed_port(ports, 0), 2);
    EXPECT_EQ(displayed_port({}, 5), std::nullopt);
}

TEST(PortProbeRun, TriesPortsInOrderAndStopsAtTheFirstAnswerOrAfterAnAbort) {
    std::vector<int> tried;
    const std::vector<int> ports = {1, 3, 4, 8};
    const auto probe = [&](int port) {
        tried.push_back(port);
        return port == 4;
    };
    EXPECT_EQ(probe_ports(ports, probe), 4);
    EXPECT_EQ(tried, (std::vector<int>{1, 3, 4}));
    tried.clear();
    EXPECT_EQ(probe_ports(ports, probe, [&] { return tried.size() == 2; }), std::nullopt);
    EXPECT_EQ(tried, (std::vector<int>{1, 3})) << "the abort stops after the current port";
}

TEST(PortProbeSteps, ProgressAndPortSettingFollowEachOutcome) {
    PortProbe probe({3, 5, 7}, 9);
    EXPECT_EQ(probe.progress_step(), 10000 / 3 / 35);
    ASSERT_EQ(probe.start(), PortProbe::Next::probe);
    EXPECT_EQ(probe.current_port(), 3);
    EXPECT_EQ(probe.port_in_force(), 3);  // the probed port is the setting while it is tried
    EXPECT_EQ(probe.report(false, false), PortProbe::Next::probe);
    EXPECT_EQ(probe.progress(), 3333);
    EXPECT_EQ(probe.current_port(), 5);
    EXPECT_EQ(probe.report(false, false), PortProbe::Next::probe);
    EXPECT_EQ(probe.progress(), 6666);
    EXPECT_EQ(probe.report(true, false), PortProbe::Next::found);
    EXPECT_EQ(probe.progress(), 10000);
    EXPECT_EQ(probe.port_in_force(), 7);
    EXPECT_TRUE(probe.finished());
    // Late reports change nothing.
    EXPECT_EQ(probe.report(false, true), PortProbe::Next::found);
    EXPECT_EQ(probe.port_in_force(), 7);
}

TEST(PortProbeSteps, ExhaustionAndCancelRestoreTheSavedPort) {
    PortProbe one({4}, 2);
    EXPECT_EQ(one.progress_step(), 285);
    EXPECT_EQ(one.report(false, false), PortProbe::Next::exhausted);
    EXPECT_EQ(one.progress(), 10000);
    EXPECT_EQ(one.port_in_force(), 2);

    PortProbe cancelled({4, 5, 6}, 2);
    EXPECT_EQ(cancelled.report(false, true), PortProbe::Next::exhausted);
    EXPECT_EQ(cancelled.progress(), 0) << "a cancelled probe does not fill the bar";
    EXPECT_EQ(cancelled.port_in_force(), 2);

    // Cancel arrives while the calculator answers: the answer wins.
    PortProbe answered({4, 5}, 2);
    EXPECT_EQ(answered.report(true, true), PortProbe::Next::found);
    EXPECT_EQ(answered.port_in_force(), 4);

    PortProbe none({}, 2);
    EXPECT_EQ(none.start(), PortProbe::Next::exhausted);
    EXPECT_EQ(none.progress_step(), 0);
    EXPECT_EQ(none.port_in_force(), 2);
}

TEST(HelloProbe, WrongModelPortsThatDoNotOpenAndAnAbortAreFailures) {
    VirtualClock clock;
    const link::LinkSettings settings;
    sim::SimCalculator calculator;
    calculator.add_fault({sim::FaultKind::wrong_id2, 1});
    VirtualPort port(clock, &calculator);
    port.set_port_number(4);
    EXPECT_EQ(link::probe_with_hello(port, 4, settings, clock).code, link::code::kIncorrectModel);
    EXPECT_EQ(link::probe_with_hello(port, 6, settings, clock).code, link::code::kNoSuchPort);
    port.fail_next_open(PortOpenResult::in_use);
    EXPECT_EQ(link::probe_with_hello(port, 4, settings, clock).code, link::code::kPortInUse);
    // An abort stops a probe that waits for an answer on a silent line.
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
