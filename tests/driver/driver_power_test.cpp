// System and device power requests, the drain before leaving D0, the pump after a power
// transition, wait-wake, and the WMI data block.
#include <chrono>
#include <thread>

#include "core/internal.h"
#include "driver_test.h"

namespace qmub::sim {
namespace {

constexpr uint32_t kS3 = 4;

class DriverPower : public DriverTest {
protected:
    void SetUp() override {
        ASSERT_EQ(h.AddAndStart(), kSuccess);
        h.QueryCapabilities(DriverHarness::Capabilities(2, kPowerD2, kPowerD3, 0, 0));
    }
    SimRequest* SetSystem(uint32_t state) {
        SimRequest* r = h.kernel.Power(irp::kSetPower, false, state);
        EXPECT_EQ(DispatchPower(h.ext, r->view), kPending);
        return r;
    }
};

TEST_F(DriverPower, SystemSleepAsksForTheMappedDeviceStateAndWakeAsksForD0) {
    SimRequest* sleep = SetSystem(kS3);
    EXPECT_EQ(sleep->status, kSuccess);
    ASSERT_EQ(h.kernel.device_power_requests.size(), 1u);
    EXPECT_EQ(h.kernel.device_power_requests[0]->view.power_state, kPowerD3);
    EXPECT_EQ(h.ext.system_power_state, kS3);
    EXPECT_EQ(h.ext.device_power_state, kPowerD3);
    EXPECT_EQ(SetSystem(kPowerWorking)->status, kSuccess);
    ASSERT_EQ(h.kernel.device_power_requests.size(), 2u);
    EXPECT_EQ(h.kernel.device_power_requests[1]->view.power_state, kPowerD0);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

TEST_F(DriverPower, DeviceRequestThatCannotBeIssuedFailsTheSystemRequest) {
    h.kernel.fail_device_power_request = true;
    SimRequest* sleep = SetSystem(kS3);
    EXPECT_EQ(sleep->status, kInsufficientResources);
    EXPECT_EQ(sleep->completions.load(), 1);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

TEST_F(DriverPower, SystemSleepWithThePortOpenStopsThePumpUntilTheNextOpen) {
    ASSERT_EQ(h.Open()->status, kSuccess);
    SetSystem(kS3);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_FALSE(h.kernel.bridge().HasPendingIn());
    SetSystem(kPowerWorking);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);  // waking does not restart it
    h.Feed("hello");
    h.kernel.Advance(50);
    EXPECT_EQ(h.RingBytes(), 0u);
    // The program opens the port again (its old handle is still open): the pump runs again.
    ASSERT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(h.ext.pump_active.Load(), 1);
    ASSERT_TRUE(h.RunUntil([&] { return h.RingBytes() == 5; }));
}

// Leaving D0 waits until every other operation of the device has ended.
TEST(DriverPowerDrain, LeavingD0WaitsForRunningOperations) {
    DriverHarness h(/*threaded_kernel=*/true);
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    IoIncrement(h.ext);  // an operation in progress
    SimRequest* down = h.kernel.Power(irp::kSetPower, true, kPowerD3);
    EXPECT_EQ(DispatchPower(h.ext, down->view), kPending);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(down->done());
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    IoDecrement(h.ext);
    for (int i = 0; i < 500 && !down->done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    h.kernel.JoinThreads();
    EXPECT_EQ(down->status, kSuccess);
    EXPECT_EQ(h.ext.device_power_state, kPowerD3);
    ExpectNoFaults(h);
}

// A bridge whose configuration announces remote wakeup.
class DriverWaitWake : public DriverTest {
protected:
    void SetUp() override {
        h.kernel.bridge().config_descriptor[7] |= 0x20;
        ASSERT_EQ(h.Add(), kSuccess);
        h.QueryCapabilities(DriverHarness::Capabilities(2, kPowerD2, kPowerD3, kS3, kPowerD3));
        ASSERT_EQ(h.Start(), kSuccess);
        ASSERT_EQ(h.kernel.wait_wake_requests.size(), 1u);
        EXPECT_EQ(h.kernel.wait_wake_requests[0]->view.power_state, kS3);
    }
};

TEST_F(DriverWaitWake, OneAtATimeAndRemovalCancelsItOnce) {
    EXPECT_EQ(IssueWaitWake(h.ext), kDeviceBusy);
    SimRequest* ww = h.kernel.wait_wake_requests[0];
    h.Pnp(irp::kRemoveDevice);
    EXPECT_EQ(ww->status, kCancelled);
    EXPECT_EQ(ww->completions.load(), 1);
    EXPECT_EQ(h.kernel.held_wait_wakes(), 0u);
    EXPECT_EQ(h.kernel.wait_wake_requests.size(), 1u);  // not armed again
}

TEST_F(DriverWaitWake, WakeWhileAsleepBringsD0AndArmsAgain) {
    SimRequest* sleep = h.kernel.Power(irp::kSetPower, true, kPowerD3);
    DispatchPower(h.ext, sleep->view);
    ASSERT_EQ(h.ext.device_power_state, kPowerD3);
    h.kernel.SignalWake();
    EXPECT_EQ(h.kernel.wait_wake_requests[0]->status, kSuccess);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    ASSERT_EQ(h.kernel.wait_wake_requests.size(), 2u);
    EXPECT_EQ(h.kernel.held_wait_wakes(), 1u);
}

class DriverWmi : public ::testing::Test {
protected:
    void SetUp() override { ResetWmiLevel(); }
    void TearDown() override { ResetWmiLevel(); }
};

TEST_F(DriverWmi, QueryAnswersTheBlockOrTheSizeItNeeds) {
    std::vector<uint8_t> buffer(26, 0xEE);
    uint32_t needed = 0;
    EXPECT_EQ(WmiQueryDataBlock(0, buffer.data(), 25, &needed), kBufferTooSmall);
    EXPECT_EQ(needed, 26u);
    EXPECT_EQ(buffer[0], 0xEE);  // nothing written
    EXPECT_EQ(WmiQueryDataBlock(0, buffer.data(), 26, &needed), kSuccess);
    const uint8_t expected[26] = {3, 0,   0, 0,   20, 0,   'M', 0,   'a', 0,   'r', 0, 'w',
                                  0, 'e', 0, 'n', 0,  'b', 0,   'e', 0,   'l', 0,   0, 0};
    EXPECT_EQ(buffer, std::vector<uint8_t>(expected, expected + 26));
}

// Only the whole block of four bytes or its item 1 of four bytes, of instance 0, is written.
TEST_F(DriverWmi, SetTakesTheBlockOrItemOneOfFourBytes) {
    const auto level = DriverHarness::Word(0x01020304);
    EXPECT_EQ(WmiSetDataBlock(0, level.data(), 3), kInfoLengthMismatch);
    EXPECT_EQ(WmiSetDataBlock(0, level.data(), 5), kInfoLengthMismatch);
    EXPECT_EQ(WmiSetDataBlock(1, level.data(), 4), kWmiGuidNotFound);
    EXPECT_EQ(WmiSetDataItem(0, 2, level.data(), 4), kWmiReadOnly);
    EXPECT_EQ(WmiSetDataItem(0, 1, level.data(), 2), kInfoLengthMismatch);
    EXPECT_EQ(WmiLevel(), 3u);
    EXPECT_EQ(WmiSetDataItem(0, 1, level.data(), 4), kSuccess);
    EXPECT_EQ(WmiLevel(), 0x01020304u);
}

}  // namespace
}  // namespace qmub::sim
