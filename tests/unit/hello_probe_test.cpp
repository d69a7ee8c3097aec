#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "link/hello_probe.h"
#include "link/port_probe.h"
#include "link/virtual_port.h"
#include "sim/sim_calculator.h"

namespace travex {
namespace {

using link::LinkSettings;

// A serial line per port number, each with its own simulated calculator (or none).
struct Line {
    sim::SimCalculator calculator;
    std::unique_ptr<VirtualPort> port;
};

class HelloProbe : public ::testing::Test {
protected:
    VirtualClock clock;
    LinkSettings settings;
    std::map<int, Line> lines;

    Line& line(int number, bool with_calculator = true) {
        Line& l = lines[number];
        l.port = std::make_unique<VirtualPort>(clock, with_calculator ? &l.calculator : nullptr);
        l.port->set_port_number(number);
        return l;
    }
};

TEST_F(HelloProbe, WrongModelAndPortsThatDoNotOpenAreFailuresToo) {
    Line& l = line(4);
    l.calculator.add_fault({sim::FaultKind::wrong_id2, 1});
    EXPECT_EQ(link::probe_with_hello(*l.port, 4, settings, clock).code,
              link::code::kIncorrectModel);
    Line& missing = line(5);
    EXPECT_EQ(link::probe_with_hello(*missing.port, 6, settings, clock).code,
              link::code::kNoSuchPort);
    missing.port->fail_next_open(PortOpenResult::in_use);
    EXPECT_EQ(link::probe_with_hello(*missing.port, 5, settings, clock).code,
              link::code::kPortInUse);
}

TEST_F(HelloProbe, AbortStopsAProbeThatWaitsForAnAnswer) {
    Line& l = line(1, false);
    int ticks = 0;
    const auto r = link::probe_with_hello(*l.port, 1, settings, clock, [&] { return ++ticks > 3; });
    EXPECT_FALSE(r.answered);
    EXPECT_FALSE(l.port->is_open());
    EXPECT_LT(ticks, 30) << "the probe ended soon after the abort";
}

}  // namespace
}  // namespace travex
