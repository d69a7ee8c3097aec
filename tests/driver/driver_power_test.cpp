// System and device power requests, the drain before leaving D0, the pump after a power
// transition, and the WMI data block.
#include <chrono>
#include <thread>

#include "core/internal.h"
#include "driver_test.h"

namespace qmub::sim {
namespace {

constexpr uint32_t kS3 = 4;
constexpr uint32_t kD1 = 2;

std::vector<uint8_t> Capabilities(uint32_t s3, uint32_t system_wake = 0, uint32_t device_wake = 0) {
    return DriverHarness::Capabilities(kD1, kPowerD2, s3, system_wake, device_wake);
}

class DriverPower : public DriverTest {
protected:
    void SetUp() override {
        ASSERT_EQ(h.AddAndStart(), kSuccess);
        QueryCapabilities(Capabilities(kPowerD3));
    }

    void QueryCapabilities(std::vector<uint8_t> bus) {
        ASSERT_EQ(h.QueryCapabilities(std::move(bus))->status, kSuccess);
    }
    SimRequest* Power(uint8_t minor, bool device, uint32_t state) {
        SimRequest* r = h.kernel.Power(minor, device, state);
        EXPECT_EQ(DispatchPower(h.ext, r->view), kPending);
        return r;
    }
    SimRequest* SetSystem(uint32_t state) { return Power(irp::kSetPower, false, state); }
};
using DriverPowerStates = DriverTest;

TEST_F(DriverPower, SystemSleepAsksForTheMappedDeviceStateAndWakeAsksForD0) {
    SimRequest* sleep = SetSystem(kS3);
    ASSERT_TRUE(sleep->done());
    EXPECT_EQ(sleep->status, kSuccess);
    ASSERT_EQ(h.kernel.device_power_requests.size(), 1u);
    SimRequest* device = h.kernel.device_power_requests[0];
    EXPECT_EQ(device->view.minor, irp::kSetPower);
    EXPECT_EQ(device->view.power_state, kPowerD3);
    EXPECT_EQ(h.ext.system_power_state, kS3);
    EXPECT_EQ(h.ext.device_power_state, kPowerD3);
    EXPECT_EQ(h.ext.restart_pump_on_open, 0);  // the port was closed

    SimRequest* wake = SetSystem(kPowerWorking);
    EXPECT_EQ(wake->status, kSuccess);
    ASSERT_EQ(h.kernel.device_power_requests.size(), 2u);
    EXPECT_EQ(h.kernel.device_power_requests[1]->view.power_state, kPowerD0);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    EXPECT_EQ(h.kernel.reported_device_states, (std::vector<uint32_t>{kPowerD3, kPowerD0}));
}

TEST_F(DriverPower, SystemRequestCompletesOnlyAfterItsDeviceRequest) {
    SimRequest* sleep = h.kernel.Power(irp::kSetPower, false, kS3);
    bool device_done_first = false;
    sleep->on_complete = [&](Status) {
        device_done_first =
            !h.kernel.device_power_requests.empty() && h.kernel.device_power_requests[0]->done();
    };
    h.kernel.hold_power = true;
    DispatchPower(h.ext, sleep->view);
    EXPECT_FALSE(sleep->done());  // still below
    h.kernel.ReleaseHeldPower();
    ASSERT_TRUE(sleep->done());
    EXPECT_TRUE(device_done_first);
    EXPECT_EQ(sleep->completions.load(), 1);
}

TEST_F(DriverPower, SystemStatesTakeTheirMappedDeviceStateElseD3AndD0) {
    QueryCapabilities(Capabilities(kPowerD2));
    SetSystem(kS3);
    EXPECT_EQ(h.kernel.device_power_requests.back()->view.power_state, kPowerD2);
    SetSystem(kPowerWorking);
    std::vector<uint8_t> none(64, 0);  // not even S0 mapped
    none[0] = 64;
    none[2] = 1;
    QueryCapabilities(none);
    SetSystem(kS3);
    EXPECT_EQ(h.kernel.device_power_requests.back()->view.power_state, kPowerD3);
    SetSystem(kPowerWorking);
    EXPECT_EQ(h.kernel.device_power_requests.back()->view.power_state, kPowerD0);
}

TEST_F(DriverPower, FailedSystemRequestBelowComesBackUnchanged) {
    h.kernel.lower_power_status = kUnsuccessful;
    SimRequest* sleep = SetSystem(kS3);
    EXPECT_EQ(sleep->status, kUnsuccessful);
    EXPECT_TRUE(h.kernel.device_power_requests.empty());
    EXPECT_EQ(h.ext.system_power_state, kPowerWorking);
}

TEST_F(DriverPower, DeviceRequestThatCannotBeIssuedFailsTheSystemRequest) {
    h.kernel.fail_device_power_request = true;
    SimRequest* sleep = SetSystem(kS3);
    EXPECT_EQ(sleep->status, kInsufficientResources);
    EXPECT_EQ(sleep->completions.load(), 1);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

TEST_F(DriverPower, FailedDeviceRequestIsTheSystemRequestsStatus) {
    SimRequest* sleep = h.kernel.Power(irp::kSetPower, false, kS3);
    // The system request goes down first and succeeds; its device request then fails below.
    h.kernel.hold_power = true;
    DispatchPower(h.ext, sleep->view);
    h.kernel.lower_power_status = kUnsuccessful;
    h.kernel.ReleaseHeldPower();
    EXPECT_EQ(sleep->status, kUnsuccessful);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    EXPECT_TRUE(h.kernel.reported_device_states.empty());
}

TEST_F(DriverPower, SystemSleepWithThePortOpenStopsThePumpUntilTheNextOpen) {
    SimRequest* open = h.Open();
    ASSERT_EQ(open->status, kSuccess);
    ASSERT_EQ(h.ext.pump_active.Load(), 1);
    SetSystem(kS3);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_FALSE(h.kernel.bridge().HasPendingIn());
    EXPECT_EQ(h.ext.restart_pump_on_open, 1);
    SetSystem(kPowerWorking);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);  // waking does not restart it

    h.Feed("hello");
    h.kernel.Advance(50);
    EXPECT_EQ(h.RingBytes(), 0u);
    // The program opens the port again (its old handle is still open): the pump runs again.
    SimRequest* again = h.Open();
    ASSERT_EQ(again->status, kSuccess);
    EXPECT_EQ(h.ext.pump_active.Load(), 1);
    ASSERT_TRUE(h.RunUntil([&] { return h.RingBytes() == 5; }));
    EXPECT_EQ(h.ext.restart_pump_on_open, 0);
}

TEST_F(DriverPower, SystemQueryToSleepStopsTheOpenPortsPumpAndQueriesTheDevice) {
    ASSERT_EQ(h.Open()->status, kSuccess);
    SimRequest* query = Power(irp::kQueryPower, false, kS3);
    EXPECT_EQ(query->status, kSuccess);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_EQ(h.ext.restart_pump_on_open, 1);
    ASSERT_EQ(h.kernel.device_power_requests.size(), 1u);
    EXPECT_EQ(h.kernel.device_power_requests[0]->view.minor, irp::kQueryPower);
    EXPECT_EQ(h.ext.system_power_state, kPowerWorking);  // a query changes nothing
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

TEST_F(DriverPower, DeviceSetPowerToALowerStateStopsThePump) {
    ASSERT_EQ(h.Open()->status, kSuccess);
    SimRequest* down = Power(irp::kSetPower, true, h.ext.power_down_level);
    EXPECT_EQ(down->status, kSuccess);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_EQ(h.ext.device_power_state, kPowerD2);
    SimRequest* up = Power(irp::kSetPower, true, kPowerD0);
    EXPECT_EQ(up->status, kSuccess);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(h.ext.pump_active.Load(), 1);
}

TEST_F(DriverPower, FailedPowerUpKeepsTheDeviceState) {
    Power(irp::kSetPower, true, kPowerD3);
    h.kernel.lower_power_status = kUnsuccessful;
    SimRequest* up = Power(irp::kSetPower, true, kPowerD0);
    EXPECT_EQ(up->status, kUnsuccessful);
    EXPECT_EQ(h.ext.device_power_state, kPowerD3);
}

TEST_F(DriverPower, DrainWithoutAWorkItemFailsTheRequest) {
    h.kernel.fail_work_item = true;
    SimRequest* down = Power(irp::kSetPower, true, kPowerD3);
    EXPECT_EQ(down->status, kInsufficientResources);
    EXPECT_TRUE(h.kernel.power_passed_down.empty());
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
}

TEST_F(DriverPower, WithoutMemoryForItsRecordARequestFails) {
    h.kernel.fail_allocation = [](size_t n) { return n < 64; };
    SimRequest* r = h.kernel.Power(irp::kSetPower, true, kPowerD3);
    EXPECT_EQ(DispatchPower(h.ext, r->view), kInsufficientResources);
    EXPECT_EQ(r->status, kInsufficientResources);
    h.kernel.fail_allocation = nullptr;
}

TEST_F(DriverPower, WakeCapabilitiesLimitQueriesWhenRemoteWakeupIsAnnounced) {
    QueryCapabilities(Capabilities(kPowerD3, /*system_wake=*/3, /*device_wake=*/kPowerD2));
    h.ext.wait_wake_enabled = 1;
    EXPECT_EQ(Power(irp::kQueryPower, false, kS3)->status, kInvalidDeviceState);
    EXPECT_EQ(Power(irp::kQueryPower, false, 3)->status, kSuccess);
    EXPECT_EQ(Power(irp::kQueryPower, true, kPowerD3)->status, kInvalidDeviceState);
    EXPECT_EQ(Power(irp::kQueryPower, true, kPowerD2)->status, kSuccess);
    h.ext.wait_wake_enabled = 0;
    EXPECT_EQ(Power(irp::kQueryPower, false, kS3)->status, kSuccess);
}

TEST_F(DriverPower, OtherPowerRequestsGoDownUnchanged) {
    SimRequest* r = h.kernel.Power(irp::kPowerSequence, false, 0);
    DispatchPower(h.ext, r->view);
    EXPECT_TRUE(r->passed_down);
    EXPECT_FALSE(r->done());
}

TEST_F(DriverPowerStates, NotStartedPassesDownAndRemovedFails) {
    ASSERT_EQ(h.Add(), kSuccess);
    SimRequest* early = h.kernel.Power(irp::kSetPower, true, kPowerD3);
    DispatchPower(h.ext, early->view);
    EXPECT_TRUE(early->passed_down);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    ASSERT_EQ(h.Start(), kSuccess);
    // Started: WMI requests go to the WMI handling.
    DispatchSystemControl(h.ext, h.kernel.NewRequest(irp::kSystemControl)->view);
    ASSERT_EQ(h.kernel.system_control_passed_down.size(), 1u);
    h.Pnp(irp::kRemoveDevice);
    SimRequest* late = h.kernel.Power(irp::kSetPower, false, kS3);
    EXPECT_EQ(DispatchPower(h.ext, late->view), kDeletePending);
    EXPECT_EQ(late->status, kDeletePending);
    SimRequest* wmi = h.kernel.NewRequest(irp::kSystemControl);
    EXPECT_EQ(DispatchSystemControl(h.ext, wmi->view), kDeletePending);
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
    EXPECT_EQ(h.ext.io_count.Load(), 1);
    ExpectNoFaults(h);
}

// A bridge whose configuration announces remote wakeup.
class DriverWaitWake : public DriverTest {
protected:
    void SetUp() override {
        h.kernel.bridge().config_descriptor[7] |= 0x20;
        ASSERT_EQ(h.Add(), kSuccess);
        h.QueryCapabilities(Capabilities(kPowerD3, /*system_wake=*/kS3, kPowerD3));
        ASSERT_EQ(h.Start(), kSuccess);
    }
};
using DriverWaitWakeOff = DriverTest;

TEST_F(DriverWaitWake, StartArmsOneWaitWakeForTheSystemWakeState) {
    EXPECT_EQ(h.ext.wait_wake_enabled, 1u);
    ASSERT_EQ(h.kernel.wait_wake_requests.size(), 1u);
    EXPECT_EQ(h.kernel.wait_wake_requests[0]->view.power_state, kS3);
    EXPECT_EQ(h.kernel.held_wait_wakes(), 1u);
    EXPECT_EQ(IssueWaitWake(h.ext), kDeviceBusy);  // one at a time
    EXPECT_EQ(h.kernel.wait_wake_requests.size(), 1u);
    // An armed wait-wake does not keep the device busy (the operation count is checked last).
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

TEST_F(DriverWaitWake, RemovalCancelsItAndCompletesItOnce) {
    SimRequest* ww = h.kernel.wait_wake_requests[0];
    h.Pnp(irp::kRemoveDevice);
    EXPECT_EQ(ww->status, kCancelled);
    EXPECT_EQ(ww->completions.load(), 1);
    EXPECT_EQ(h.kernel.held_wait_wakes(), 0u);
    EXPECT_EQ(h.kernel.wait_wake_requests.size(), 1u);  // not armed again
}

TEST_F(DriverWaitWake, StopCancelsItAndTheNextStartArmsAgain) {
    h.Pnp(irp::kQueryStopDevice);
    h.Pnp(irp::kStopDevice);
    EXPECT_EQ(h.kernel.wait_wake_requests[0]->status, kCancelled);
    ASSERT_EQ(h.Start(), kSuccess);
    EXPECT_EQ(h.kernel.wait_wake_requests.size(), 2u);
}

TEST_F(DriverWaitWake, FailedWakeInD0ArmsNothingAndAFailedRequestLeavesItFree) {
    h.kernel.SignalWake(kUnsuccessful);
    EXPECT_EQ(h.kernel.wait_wake_requests.size(), 1u);
    EXPECT_EQ(h.ext.wait_wake_outstanding.Load(), 0u);
    h.kernel.fail_wait_wake = true;
    EXPECT_EQ(IssueWaitWake(h.ext), kInsufficientResources);
    EXPECT_EQ(h.ext.wait_wake_outstanding.Load(), 0u);
    h.kernel.fail_wait_wake = false;
    EXPECT_EQ(IssueWaitWake(h.ext), kPending);
}

TEST_F(DriverWaitWakeOff, NoRemoteWakeupNoWaitWake) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    EXPECT_EQ(h.ext.wait_wake_enabled, 0u);
    EXPECT_TRUE(h.kernel.wait_wake_requests.empty());
    SimRequest* query = h.kernel.Power(irp::kQueryPower, false, kS3);
    DispatchPower(h.ext, query->view);
    EXPECT_TRUE(h.kernel.wait_wake_requests.empty());
}

class DriverWmi : public DriverTest {
protected:
    void SetUp() override { ResetWmiLevel(); }
    void TearDown() override {
        ResetWmiLevel();
        DriverTest::TearDown();
    }
};

TEST_F(DriverWmi, QueryAnswersTheBlockOrTheSizeItNeeds) {
    std::vector<uint8_t> buffer(26, 0xEE);
    uint32_t needed = 0;
    EXPECT_EQ(WmiQueryDataBlock(0, buffer.data(), 20, &needed), kBufferTooSmall);
    EXPECT_EQ(needed, 26u);
    EXPECT_EQ(buffer[0], 0xEE);  // nothing written
    EXPECT_EQ(WmiQueryDataBlock(0, buffer.data(), 25, &needed), kBufferTooSmall);
    EXPECT_EQ(WmiQueryDataBlock(0, buffer.data(), 26, &needed), kSuccess);
    const uint8_t expected[26] = {3, 0,   0, 0,   20, 0,   'M', 0,   'a', 0,   'r', 0, 'w',
                                  0, 'e', 0, 'n', 0,  'b', 0,   'e', 0,   'l', 0,   0, 0};
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.end()),
              std::vector<uint8_t>(expected, expected + 26));
    EXPECT_EQ(WmiQueryDataBlock(1, buffer.data(), 26, &needed), kWmiGuidNotFound);
}

// Only the whole block of four bytes or its item 1 of four bytes, of instance 0, is written.
TEST_F(DriverWmi, SetTakesTheBlockOrItemOneOfFourBytes) {
    const auto level = DriverHarness::Word(0x01020304);
    const std::pair<Status, Status> refused[] = {
        {WmiSetDataBlock(0, level.data(), 3), kInfoLengthMismatch},
        {WmiSetDataBlock(0, level.data(), 5), kInfoLengthMismatch},
        {WmiSetDataBlock(1, level.data(), 4), kWmiGuidNotFound},
        {WmiSetDataItem(0, 2, level.data(), 4), kWmiReadOnly},
        {WmiSetDataItem(0, 0, level.data(), 4), kWmiReadOnly},
        {WmiSetDataItem(0, 1, level.data(), 2), kInfoLengthMismatch},
        {WmiSetDataItem(1, 1, level.data(), 4), kWmiGuidNotFound},
    };
    for (const auto& [status, expected] : refused)
        EXPECT_EQ(status, expected) << &status - &refused[0].first;
    EXPECT_EQ(WmiLevel(), 3u);
    EXPECT_EQ(WmiSetDataItem(0, 1, DriverHarness::Word(7).data(), 4), kSuccess);
    EXPECT_EQ(WmiLevel(), 7u);
    EXPECT_EQ(WmiSetDataBlock(0, level.data(), 4), kSuccess);
    std::vector<uint8_t> buffer(26);
    uint32_t needed = 0;
    ASSERT_EQ(WmiQueryDataBlock(0, buffer.data(), 26, &needed), kSuccess);
    EXPECT_EQ(LoadLe32(buffer.data()), 0x01020304u);
}

}  // namespace
}  // namespace qmub::sim
