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

TEST_F(DriverIdle, IdleRequestGoesDownFiveSecondsAfterStartAtTheEarliest) {
    EXPECT_EQ(h.ext.idle_enabled.Load(), 1u);
    h.kernel.Advance(4990);
    EXPECT_EQ(h.kernel.idle_requests_sent, 0);
    h.kernel.Advance(20);
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);
    EXPECT_TRUE(h.kernel.idle_request_held());
    h.kernel.Advance(20000);
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);  // one at a time; the timer waits for it
    EXPECT_EQ(SubmitIdle(h.ext), kDeviceBusy);
}

TEST_F(DriverIdle, OpeningThePortCancelsThePendingIdleRequest) {
    Idle();
    ASSERT_TRUE(h.kernel.idle_request_held());
    EXPECT_EQ(h.Open()->status, kSuccess);
    EXPECT_FALSE(h.kernel.idle_request_held());
    EXPECT_EQ(h.kernel.live_idle_requests, 0);
    // The port stays open: no new idle request however long it stays so.
    h.kernel.Advance(20000);
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);
}

TEST_F(DriverIdle, CallbackPowersDownToPowerDownLevelAndCompletionReArms) {
    Idle();
    h.kernel.InvokeIdleCallback();
    EXPECT_EQ(h.ext.device_power_state, kPowerD2);
    // The hub completes the request when the device wakes; the next one follows 5 s later.
    h.kernel.CompleteIdle(kSuccess);
    EXPECT_EQ(h.kernel.live_idle_requests, 0);
    SimRequest* up = h.kernel.Power(irp::kSetPower, true, kPowerD0);
    DispatchPower(h.ext, up->view);
    EXPECT_EQ(up->status, kSuccess);
    Idle();
    EXPECT_EQ(h.kernel.idle_requests_sent, 2);
}

TEST_F(DriverIdle, CallbackWithThePortOpenDoesNotPowerDown) {
    h.Open();
    h.kernel.InvokeIdleCallback();
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

TEST_F(DriverIdle, CancelledWhileSuspendedBringsTheDeviceBackToD0) {
    Idle();
    h.kernel.InvokeIdleCallback();
    ASSERT_EQ(h.ext.device_power_state, kPowerD2);
    EXPECT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

TEST_F(DriverIdle, NotIdleWhileAnOperationRuns) {
    IoIncrement(h.ext);
    h.kernel.Advance(12000);
    EXPECT_EQ(h.kernel.idle_requests_sent, 0);
    IoDecrement(h.ext);
    Idle();
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);
}

TEST_F(DriverIdle, RemovalWithAPendingIdleRequestFreesItOnce) {
    Idle();
    ASSERT_TRUE(h.kernel.idle_request_held());
    h.Pnp(irp::kSurpriseRemoval);
    EXPECT_EQ(h.kernel.live_idle_requests, 0);
    h.Pnp(irp::kRemoveDevice);
    EXPECT_TRUE(h.kernel.device_deleted);
    EXPECT_EQ(h.kernel.live_idle_requests, 0);
}

TEST_F(DriverIdle, SubmissionOutsideD0OrFailingBelowLeavesNothingPending) {
    h.ext.device_power_state = kPowerD2;
    EXPECT_EQ(SubmitIdle(h.ext), kPowerStateInvalid);
    h.ext.device_power_state = kPowerD0;
    h.kernel.idle_submit_status = kInsufficientResources;
    EXPECT_EQ(SubmitIdle(h.ext), kInsufficientResources);
    EXPECT_EQ(h.ext.idle_request_pending, 0u);
    h.kernel.idle_submit_status = kSuccess;
    Idle();
    EXPECT_EQ(h.kernel.idle_requests_sent, 1);
}

// A write waits until the idle request the open cancelled has been given back by the hub.
TEST(DriverIdleThreaded, WriteWaitsForTheIdleRequestToEnd) {
    DriverHarness h(/*threaded_kernel=*/true);
    // No receive pump, so the open port holds no operation count.
    h.kernel.parameters = {{u"SSUsbEnable", 1}, {u"PreventFromSuspend", 0}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    SimRequest* open = h.Open();
    ASSERT_EQ(open->status, kSuccess);
    // An idle request still on its way (as when the hub has not yet answered a cancel).
    h.ext.open_count.Store(0);
    ASSERT_EQ(SubmitIdle(h.ext), kPending);
    h.ext.open_count.Store(1);
    std::atomic<bool> written{false};
    std::thread writer([&] {
        h.Write("x");
        written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(written);
    h.kernel.CompleteIdle(kCancelled);
    writer.join();
    EXPECT_TRUE(written);
    h.kernel.StartClockThread();
    h.CloseHandle(open);
    ExpectNoFaults(h);
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
    EXPECT_FALSE(h.kernel.idle_request_held());
    EXPECT_EQ(h.kernel.live_idle_requests, 0);
    SimRequest* write = h.Write("x");
    until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!write->done() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(write->done() && write->status == kSuccess);
    h.CloseHandle(open.load());
    ExpectNoFaults(h);
}

TEST(DriverIdleOff, NeedsSsUsbEnableAndWdmLevelZero) {
    for (uint32_t level : {0u, 1u}) {
        DriverHarness h;
        h.kernel.parameters = {{u"SSUsbEnable", level == 0 ? 0u : 1u}};
        ASSERT_EQ(h.Add(level), kSuccess);
        ASSERT_EQ(h.Start(), kSuccess);
        EXPECT_EQ(h.ext.idle_enabled.Load(), 0u);
        h.kernel.Advance(15000);
        EXPECT_EQ(h.kernel.idle_requests_sent, 0);
        ExpectNoFaults(h);
    }
}

}  // namespace
}  // namespace qmub::sim
