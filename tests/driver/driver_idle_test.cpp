// Selective suspend: the idle timer, the hub's idle request, its callback and its cancellation.
#include <atomic>
#include <chrono>
#include <thread>

#include "core/internal.h"
#include "driver_test.h"

namespace qmub::sim {
namespace {

class DriverIdle : public DriverTest {
protected:
    void SetUp() override {
        h.kernel.parameters = {{u"SSUsbEnable", 1}};
        ASSERT_EQ(h.AddAndStart(), kSuccess);
        h.ext.power_down_level = kPowerD2;
    }
    // Past the five seconds after which the idle request goes down.
    void Idle() { h.kernel.Advance(5010); }
};

TEST_F(DriverIdle, IdleRequestGoesDownFiveSecondsAfterStartOneAtATimeAndRemovalFreesIt) {
    h.kernel.Advance(4990);
    EXPECT_EQ(h.kernel.idle_requests_sent, 0);
    h.kernel.Advance(20);
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);
    h.kernel.Advance(20000);
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);
    EXPECT_EQ(SubmitIdle(h.ext), kDeviceBusy);
    h.Pnp(irp::kSurpriseRemoval);
    h.Pnp(irp::kRemoveDevice);
    EXPECT_EQ(h.kernel.live_idle_requests, 0);  // the pending one freed once
}

TEST_F(DriverIdle, OpeningThePortCancelsThePendingIdleRequest) {
    Idle();
    ASSERT_TRUE(h.kernel.idle_request_held());
    EXPECT_EQ(h.Open()->status, kSuccess);
    EXPECT_FALSE(h.kernel.idle_request_held());
    EXPECT_EQ(h.kernel.live_idle_requests, 0);
    h.kernel.Advance(20000);
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);
}

TEST_F(DriverIdle, CallbackPowersDownAndAnOpenWhileSuspendedBringsD0) {
    Idle();
    h.kernel.InvokeIdleCallback();
    EXPECT_EQ(h.ext.device_power_state, kPowerD2);
    EXPECT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    h.kernel.InvokeIdleCallback();  // with the port open: stays in D0
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

// The port opens while idle work that found it closed is sending its idle request: the open
// finds no request to cancel yet, and the hub keeps a request of an open port for good, so the
// request must be cancelled once it is out, or the pump start and every write wait for ever.
TEST(DriverIdleThreaded, OpenWhileTheIdleRequestIsOnItsWayDoesNotWaitForIt) {
    DriverHarness h(/*threaded_kernel=*/true);
    h.kernel.parameters = {{u"SSUsbEnable", 1}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    std::atomic<SimRequest*> open{nullptr};
    std::atomic<bool> opener_started{false};
    std::thread opener;
    h.kernel.on_idle_submit = [&] {
        if (opener_started.exchange(true))
            return;
        opener = std::thread([&] { open = h.Open(); });
        while (h.ext.open_count.Load() == 0)
            std::this_thread::yield();
    };
    h.kernel.StartClockThread();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (open.load() == nullptr && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(opener_started);
    opener.join();
    ASSERT_NE(open.load(), nullptr);
    EXPECT_EQ(open.load()->status, kSuccess);
    EXPECT_EQ(h.kernel.live_idle_requests, 0);
    SimRequest* write = h.Write("x");
    until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!write->done() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(write->done() && write->status == kSuccess);
    h.CloseHandle(open.load());
    ExpectNoFaults(h);
}

}  // namespace
}  // namespace qmub::sim
