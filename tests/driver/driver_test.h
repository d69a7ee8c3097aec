// The fixture of the driver tests: one simulated device, checked after every test for the
// faults the simulated kernel found in how the core used it and, while the device exists, for
// an operation count back at rest (one, and one more while the receive pump runs).
#pragma once

#include <gtest/gtest.h>

#include "driver_harness.h"

namespace qmub::sim {

inline void ExpectNoFaults(const DriverHarness& h) {
    EXPECT_TRUE(h.kernel.faults.empty()) << h.kernel.faults.front();
}

class DriverTest : public ::testing::Test {
protected:
    void TearDown() override {
        ExpectNoFaults(h);
        if (h.ext.pnp_state.Load() != kNotStarted && !h.kernel.device_deleted) {
            EXPECT_EQ(h.ext.io_count.Load(), 1 + h.ext.pump_active.Load());
        }
    }
    // A started device whose port the test has open.
    void StartAndOpen() {
        ASSERT_EQ(h.AddAndStart(), kSuccess);
        open = h.Open();
        ASSERT_EQ(open->status, kSuccess);
    }
    SimRequest* Control(uint32_t code, uint32_t word) {
        return h.Control(code, DriverHarness::Word(word));
    }
    Status SetTimeouts(uint32_t interval, uint32_t constant) {
        return h.Control(serial::kSetTimeouts, DriverHarness::Timeouts(interval, 0, constant))
            ->status;
    }
    bool Settle(SimRequest* r, uint32_t limit_ms = 10000) {
        return h.RunUntil([r] { return r->done(); }, limit_ms);
    }

    DriverHarness h;
    SimRequest* open = nullptr;
};

}  // namespace qmub::sim
