// The serial I/O controls: buffer rules, settings, line coding and DTR, wait events.
#include "driver_test.h"

namespace qmub::sim {
namespace {

using namespace serial;

class DriverIoctl : public DriverTest {
protected:
    void SetUp() override { StartAndOpen(); }
};

struct Minimum {
    uint32_t code;
    uint32_t input;
    uint32_t output;
};

// Every control that looks at a buffer, with the smallest sizes it accepts.
const Minimum kMinimums[] = {
    {kSetBaudRate, 4, 0},    {kSetLineControl, 3, 0}, {kGetBaudRate, 0, 4},
    {kGetLineControl, 0, 3}, {kSetTimeouts, 20, 0},   {kGetTimeouts, 0, 20},
    {kSetChars, 6, 0},       {kGetChars, 0, 6},       {kSetHandflow, 16, 0},
    {kGetHandflow, 0, 16},   {kSetWaitMask, 4, 0},    {kGetWaitMask, 0, 4},
    {kWaitOnMask, 0, 4},     {kGetModemStatus, 0, 4}, {kGetCommStatus, 0, 20},
    {kGetProperties, 0, 64}, {kConfigSize, 0, 4},
};

// One byte short is refused without touching the buffer; the minimum itself is taken.
TEST_F(DriverIoctl, BuffersOneByteShortAreRefusedAndTheMinimumIsTaken) {
    for (const Minimum& m : kMinimums) {
        SCOPED_TRACE(m.code);
        for (uint32_t short_by : {1u, 0u}) {
            uint32_t in = m.input ? m.input - short_by : 0;
            uint32_t out = m.output ? m.output - short_by : 0;
            std::vector<uint8_t> input(in, 0);
            if (m.code == kSetBaudRate && in >= 4)
                input = DriverHarness::Word(9600);
            SimRequest* r = h.Control(m.code, input, out);
            if (short_by == 0) {
                EXPECT_NE(r->status, kBufferTooSmall);
                EXPECT_LE(r->information, out);
                continue;
            }
            EXPECT_EQ(r->status, kBufferTooSmall);
            EXPECT_EQ(r->information, 0u);
            for (size_t i = in; i < r->buffer.size(); ++i)
                EXPECT_EQ(r->buffer[i], 0xEE);
        }
    }
}

TEST_F(DriverIoctl, LineSettingsAndDtrReachTheChipAndTheirFailureIsTheStatus) {
    ASSERT_EQ(h.Control(kSetLineControl, {2, 0, 8})->status, kSuccess);
    ASSERT_EQ(h.Control(kClrDtr)->status, kSuccess);
    const auto& calls = h.kernel.bridge().vendor_calls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].request, 0x21);
    EXPECT_EQ(calls[0].value, 0x0705);  // 9600 8N2
    EXPECT_EQ(calls[1].request, 0x22);
    EXPECT_EQ(calls[1].value, 0x0000);
    h.kernel.bridge().vendor_status = kDeviceNotConnected;
    EXPECT_EQ(Control(kSetBaudRate, 19200)->status, kDeviceNotConnected);
    EXPECT_EQ(h.Control(kSetDtr)->status, kDeviceNotConnected);
}

// A wait that passed the port's gate just before the handle's cleanup, and claims its slot only
// after the cleanup has ended held waits: it must end at once, or the close waits for it for
// ever.
TEST_F(DriverIoctl, AWaitArrivingDuringCleanupDoesNotOutliveIt) {
    ASSERT_EQ(Control(kSetWaitMask, kEvRxChar)->status, kSuccess);
    h.kernel.OnNextWait(EventId::kNoWaitHeld,
                        [&] { DispatchCleanup(h.ext, h.kernel.NewRequest(irp::kCleanup)->view); });
    SimRequest* w = h.Control(kWaitOnMask, {}, 4);
    h.kernel.Advance(50);
    EXPECT_EQ(w->completions.load(), 1);
    EXPECT_EQ(DriverHarness::WordAt(w), 0u);
    h.CloseHandle(open);
}

}  // namespace
}  // namespace qmub::sim
