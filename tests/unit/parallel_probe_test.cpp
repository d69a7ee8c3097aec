// The parallel port probe: every port's probe runs at the same time, each may hold its port
// while the others hold theirs, and afterwards the process is back to one link port.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "link/parallel_probe.h"
#include "link/serial_line.h"

namespace travex {
namespace {

TEST(ParallelProbe, AllProbesRunAtOnceEachHoldingItsPortAndAnswersKeepTheirPlaces) {
    constexpr std::size_t kPorts = 5;
    std::atomic<int> started{0};
    std::atomic<int> claims_refused{0};
    const std::vector<bool> answered = link::probe_all_at_once(kPorts, [&](std::size_t i) {
        if (claim_link_port(false, static_cast<int>(i) + 1) != PortOpenResult::ok) {
            ++claims_refused;
            return false;
        }
        ++started;
        // Each probe holds its port until every other one has started (or a generous time
        // has passed, which only a probe run after the others would need).
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (started < static_cast<int>(kPorts) && std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const bool together = started == static_cast<int>(kPorts);
        release_link_port();
        return together && i % 2 == 1;
    });
    EXPECT_EQ(claims_refused, 0);
    EXPECT_EQ(answered, (std::vector<bool>{false, true, false, true, false}));
    EXPECT_TRUE(link::probe_all_at_once(0, [](std::size_t) { return true; }).empty());
}

TEST(ParallelProbe, OutsideTheProbeTheProcessHoldsOneLinkPortAndFailedClaimsHoldNothing) {
    link::probe_all_at_once(3, [](std::size_t) { return false; });
    ASSERT_EQ(claim_link_port(false, 1), PortOpenResult::ok);
    EXPECT_EQ(claim_link_port(false, 2), PortOpenResult::in_use) << "a second port of the process";
    EXPECT_EQ(claim_link_port(true, 1), PortOpenResult::in_use) << "the same port again";
    release_link_port();
    // A number outside 1..99 claims nothing, and releasing twice frees no extra place.
    EXPECT_EQ(claim_link_port(false, 0), PortOpenResult::no_such_port);
    EXPECT_EQ(claim_link_port(false, 100), PortOpenResult::no_such_port);
    release_link_port();
    ASSERT_EQ(claim_link_port(false, 99), PortOpenResult::ok);
    EXPECT_EQ(claim_link_port(false, 98), PortOpenResult::in_use);
    release_link_port();
    {
        const ManyLinkPorts two(2);
        ASSERT_EQ(claim_link_port(false, 1), PortOpenResult::ok);
        ASSERT_EQ(claim_link_port(false, 2), PortOpenResult::ok);
        EXPECT_EQ(claim_link_port(false, 3), PortOpenResult::in_use);
        release_link_port();
        release_link_port();
    }
    ASSERT_EQ(claim_link_port(false, 1), PortOpenResult::ok);
    EXPECT_EQ(claim_link_port(false, 2), PortOpenResult::in_use);
    release_link_port();
}

}  // namespace
}  // namespace travex
