// System and device power requests, the drain before leaving D0, the pump after a power
// transition.
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
        ASSERT_EQ(h.AddAndStart(), kSuccess);  // S3 unmapped: D3
    }
    SimRequest* SetSystem(uint32_t state) {
        SimRequest* r = h.kernel.Power(irp::kSetPower, false, state);
        EXPECT_EQ(DispatchPower(h.ext, r->view), kPending);
        return r;
    }
};

// With the port open: the pump stops with the sleep and runs again only when the program opens
// the port again (its old handle still open).
TEST_F(DriverPower, SystemSleepAsksForTheMappedDeviceStateAndStopsThePumpUntilTheNextOpen) {
    ASSERT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(SetSystem(kS3)->status, kSuccess);
    ASSERT_EQ(h.kernel.device_power_requests.size(), 1u);
    EXPECT_EQ(h.kernel.device_power_requests[0]->view.power_state, kPowerD3);
    EXPECT_EQ(h.ext.device_power_state, kPowerD3);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_EQ(SetSystem(kPowerWorking)->status, kSuccess);
    EXPECT_EQ(h.kernel.device_power_requests.at(1)->view.power_state, kPowerD0);
    EXPECT_EQ(h.ext.device_power_state, kPowerD0);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    h.Feed("hello");
    h.kernel.Advance(50);
    EXPECT_EQ(h.RingBytes(), 0u);
    ASSERT_EQ(h.Open()->status, kSuccess);
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

}  // namespace
}  // namespace qmub::sim
