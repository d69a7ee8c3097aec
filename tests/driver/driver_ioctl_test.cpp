// The serial I/O controls: buffer rules, settings, line coding and DTR, status, wait events.
#include "driver_test.h"

namespace qmub::sim {
namespace {

using namespace serial;

class DriverIoctl : public DriverTest {
protected:
    void SetUp() override { StartAndOpen(); }
    SimRequest* LineControl(uint8_t stop, uint8_t parity, uint8_t bits) {
        return h.Control(kSetLineControl, {stop, parity, bits});
    }
    uint32_t Get(uint32_t code) { return DriverHarness::WordAt(h.Control(code, {}, 4)); }
};
using DriverIoctlGate = DriverTest;

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

TEST_F(DriverIoctl, EveryShortBufferIsRefusedWithoutTouchingIt) {
    for (const Minimum& m : kMinimums) {
        for (uint32_t short_by = 1; short_by <= 4; ++short_by) {
            uint32_t in = m.input ? m.input - std::min(short_by, m.input) : 0;
            uint32_t out = m.output ? m.output - std::min(short_by, m.output) : 0;
            // Valid contents where there is room, so only the size can be at fault.
            std::vector<uint8_t> input(in, 0);
            if (m.code == kSetBaudRate && in >= 4)
                input = DriverHarness::Word(9600);
            SimRequest* r = h.Control(m.code, input, out);
            EXPECT_EQ(r->status, kBufferTooSmall)
                << std::hex << m.code << " in " << in << " out " << out;
            EXPECT_EQ(r->information, 0u);
            for (size_t i = in; i < r->buffer.size(); ++i)
                EXPECT_EQ(r->buffer[i], 0xEE);
        }
    }
    EXPECT_TRUE(h.kernel.bridge().vendor_calls.empty());
}

TEST_F(DriverIoctl, ApplicationSettingsReachTheChipAndReadBack) {
    ASSERT_EQ(Control(kSetBaudRate, 38400)->status, kSuccess);
    ASSERT_EQ(LineControl(2, 0, 8)->status, kSuccess);
    ASSERT_EQ(h.Control(kClrDtr)->status, kSuccess);
    ASSERT_EQ(h.Control(kClrRts)->status, kSuccess);
    std::vector<uint8_t> handflow(16, 0);  // DTR and RTS control disabled
    ASSERT_EQ(h.Control(kSetHandflow, handflow)->status, kSuccess);
    const auto& calls = h.kernel.bridge().vendor_calls;
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].request, 0x21);
    EXPECT_EQ(calls[0].value, 0x0309);
    EXPECT_EQ(calls[1].value, 0x0709);
    EXPECT_EQ(calls[2].request, 0x22);
    EXPECT_EQ(calls[2].value, 0x0000);

    EXPECT_EQ(Get(kGetBaudRate), 38400u);
    SimRequest* lc = h.Control(kGetLineControl, {}, 8);
    EXPECT_EQ(lc->information, 3u);
    EXPECT_EQ(lc->buffer, (std::vector<uint8_t>{2, 0, 8, 0, 0, 0, 0, 0}));
    SimRequest* hf = h.Control(kGetHandflow, {}, 16);
    EXPECT_EQ(DriverHarness::WordAt(hf, 0), 1u);  // DTR control on, not what was set
    EXPECT_EQ(DriverHarness::WordAt(hf, 4), 0x40u);
}

TEST_F(DriverIoctl, UnsupportedRateIsStoredButRefused) {
    for (uint32_t rate : {110u, 56000u}) {
        size_t before = h.kernel.bridge().vendor_calls.size();
        EXPECT_EQ(Control(kSetBaudRate, rate)->status, kInvalidParameter);
        EXPECT_EQ(h.kernel.bridge().vendor_calls.size(), before);
        EXPECT_EQ(Get(kGetBaudRate), rate);
    }
    // Every line control now fails the same way until a supported rate is set.
    EXPECT_EQ(LineControl(0, 0, 8)->status, kInvalidParameter);
    EXPECT_EQ(Control(kSetBaudRate, 9600)->status, kSuccess);
    EXPECT_EQ(LineControl(0, 0, 8)->status, kSuccess);
}

TEST_F(DriverIoctl, LineControlMappingAndRefusals) {
    // Invalid combinations store nothing.
    for (auto [stop, parity, bits] :
         {std::tuple{1, 0, 8}, std::tuple{2, 0, 5}, std::tuple{3, 0, 8}, std::tuple{0, 5, 8},
          std::tuple{0, 0, 4}, std::tuple{0, 0, 9}}) {
        EXPECT_EQ(LineControl(stop, parity, bits)->status, kInvalidParameter);
        EXPECT_EQ(h.ext.line_control, 3);
    }
    // Valid for the port, not for the chip: stored, refused, nothing sent.
    EXPECT_EQ(LineControl(0, 0, 7)->status, kInvalidParameter);
    EXPECT_EQ(h.ext.line_control, 0x02);
    EXPECT_EQ(LineControl(0, 3, 8)->status, kInvalidParameter);  // mark
    EXPECT_EQ(h.ext.line_control, 0x2B);
    EXPECT_EQ(LineControl(1, 4, 5)->status, kInvalidParameter);  // 1.5 stop, space
    SimRequest* back = h.Control(kGetLineControl, {}, 3);
    EXPECT_EQ(back->buffer, (std::vector<uint8_t>{1, 4, 5}));
    EXPECT_TRUE(h.kernel.bridge().vendor_calls.empty());
    // Odd and even parity go to the chip.
    EXPECT_EQ(LineControl(2, 2, 8)->status, kSuccess);
    EXPECT_EQ(h.kernel.bridge().line_format, 0x1F);
}

TEST_F(DriverIoctl, AFailedVendorRequestIsTheControlsStatus) {
    h.kernel.bridge().vendor_status = kDeviceNotConnected;
    EXPECT_EQ(Control(kSetBaudRate, 19200)->status, kDeviceNotConnected);
    EXPECT_EQ(h.Control(kSetDtr)->status, kDeviceNotConnected);
    EXPECT_EQ(h.ext.baud_rate.Load(), 19200u);
}

TEST_F(DriverIoctl, DtrGoesToTheChipOnlyWhileTheFunctionIsOn) {
    EXPECT_EQ(h.Control(kSetDtr)->status, kSuccess);
    EXPECT_EQ(h.kernel.bridge().dtr, 1);
    h.Write(std::string("Quilmar_QMUB417A_DTR_Func_Disabl"));
    EXPECT_EQ(h.Control(kClrDtr)->status, kSuccess);
    EXPECT_EQ(h.kernel.bridge().dtr, 1);
    h.Write(std::string("Quilmar_QMUB417A_DTR_Func_Enable"));
    EXPECT_EQ(h.Control(kClrDtr)->status, kSuccess);
    EXPECT_EQ(h.kernel.bridge().dtr, 0);
}

TEST_F(DriverIoctl, TimeoutsAllThreeReadValuesMaxAreRefused) {
    EXPECT_EQ(SetTimeouts(~0u, ~0u, ~0u), kInvalidParameter);
    EXPECT_EQ(h.ext.timeouts[kReadInterval], 1000u);
    EXPECT_EQ(SetTimeouts(~0u, 5, ~0u), kSuccess);
    EXPECT_EQ(SetTimeouts(3, 300), kSuccess);
    SimRequest* back = h.Control(kGetTimeouts, {}, 20);
    EXPECT_EQ(back->information, 20u);
    EXPECT_EQ(DriverHarness::WordAt(back, 0), 3u);
    EXPECT_EQ(DriverHarness::WordAt(back, 8), 300u);
}

TEST_F(DriverIoctl, CharsAndHandflowRules) {
    EXPECT_EQ(h.Control(kSetChars, {1, 2, 3, 4, 5, 6})->status, kSuccess);
    EXPECT_EQ(h.Control(kGetChars, {}, 6)->buffer, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    auto handflow = [](uint32_t control, uint32_t flow) {
        std::vector<uint8_t> in = DriverHarness::Word(control);
        auto f = DriverHarness::Word(flow);
        in.insert(in.end(), f.begin(), f.end());
        in.resize(16, 0);
        return in;
    };
    EXPECT_EQ(h.Control(kSetHandflow, handflow(0x84, 0))->status, kInvalidParameter);
    EXPECT_EQ(h.Control(kSetHandflow, handflow(0, 0x20))->status, kInvalidParameter);
    EXPECT_EQ(h.Control(kSetHandflow, handflow(3, 0))->status, kInvalidParameter);
    EXPECT_EQ(h.Control(kSetHandflow, handflow(2, 0x80))->status, kSuccess);
    EXPECT_EQ(h.ext.handflow[0], 1u);
}

TEST_F(DriverIoctl, StatusAndPropertiesReportsAndPurgeKeepsTheRing) {
    h.Feed(std::string(100, 'x'));
    h.kernel.Advance(5);
    SimRequest* status = h.Control(kGetCommStatus, {}, 20);
    EXPECT_EQ(status->information, 20u);
    EXPECT_EQ(DriverHarness::WordAt(status, 8), 100u);
    EXPECT_EQ(DriverHarness::WordAt(status, 12), 0u);
    EXPECT_EQ(DriverHarness::WordAt(status, 0), 0u);
    SimRequest* props = h.Control(kGetProperties, {}, 64);
    EXPECT_EQ(props->information, 64u);
    EXPECT_EQ(props->buffer[0], 64);
    EXPECT_EQ(Get(kGetModemStatus), 0u);
    EXPECT_EQ(h.Control(kGetCommConfig, {}, 64)->status, kInvalidParameter);
    EXPECT_EQ(Control(kPurge, 0xF)->status, kSuccess);
    EXPECT_EQ(h.RingBytes(), 100u);
}

TEST_F(DriverIoctl, UndefinedCodesAreRefusedAndDefinedOnesAccepted) {
    for (uint32_t code : {SerialControl(0), SerialControl(40), SerialControl(1) | 1u,
                          SerialControl(1) | 0x4000u, 0x00220000u | (1u << 2)}) {
        EXPECT_EQ(h.Control(code, std::vector<uint8_t>(64, 0), 64)->status, kInvalidParameter)
            << std::hex << code;
    }
    for (uint32_t code :
         {kSetQueueSize, kSetBreakOn, kSetBreakOff, kImmediateChar, kResetDevice, kSetRts, kClrRts,
          kSetXoff, kSetXon, kXoffCounter, kGetDtrRts, kLsrMstInsert, kGetStats, kClearStats,
          kGetModemControl, kSetModemControl, kSetFifoControl}) {
        SimRequest* r = h.Control(code);
        EXPECT_EQ(r->status, kSuccess) << std::hex << code;
        EXPECT_EQ(r->information, 0u);
    }
}

TEST_F(DriverIoctlGate, NotStartedOrEmulationOffOrPortClosed) {
    ASSERT_EQ(h.Add(), kSuccess);
    EXPECT_EQ(h.Control(kGetBaudRate, {}, 4)->status, kInvalidDeviceState);
    ASSERT_EQ(h.Start(), kSuccess);
    // Port closed: the pump is not active, every control succeeds with nothing.
    SimRequest* r = h.Control(kGetBaudRate, {}, 4);
    EXPECT_EQ(r->status, kSuccess);
    EXPECT_EQ(r->information, 0u);
    EXPECT_EQ(h.Control(0x12345678)->status, kSuccess);
}

TEST_F(DriverIoctlGate, SerialEmulationOffAnswersEverythingWithSuccess) {
    h.kernel.parameters = {{u"PreventFromSuspend1", 0}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    ASSERT_EQ(h.Open()->status, kSuccess);
    size_t calls = h.kernel.bridge().vendor_calls.size();
    for (uint32_t code : {kSetBaudRate, kGetBaudRate, kGetProperties, kSetDtr, kGetCommStatus}) {
        SimRequest* r = h.Control(code, {}, 64);
        EXPECT_EQ(r->status, kSuccess);
        EXPECT_EQ(r->information, 0u);
    }
    EXPECT_EQ(h.kernel.bridge().vendor_calls.size(), calls);
}

// Event waits: polled every 10 ms.
TEST_F(DriverIoctl, WaitWithMaskZeroCompletesAtOnce) {
    SimRequest* w = h.Control(kWaitOnMask, {}, 4);
    EXPECT_EQ(w->status, kSuccess);
    EXPECT_EQ(w->information, 4u);
    EXPECT_EQ(DriverHarness::WordAt(w), 0u);
}

TEST_F(DriverIoctl, WaitForRxCharWithDataWaitingEndsAtTheNextPoll) {
    h.Feed("abc");
    h.kernel.Advance(1);
    ASSERT_EQ(Control(kSetWaitMask, kEvRxChar)->status, kSuccess);
    uint64_t start = h.kernel.now_us();
    SimRequest* w = h.Control(kWaitOnMask, {}, 4);
    EXPECT_TRUE(w->pending);
    ASSERT_TRUE(Settle(w, 100));
    EXPECT_EQ(w->status, kSuccess);
    EXPECT_EQ(w->information, 4u);
    EXPECT_EQ(DriverHarness::WordAt(w), kEvRxChar);
    EXPECT_NEAR(double(w->completed_at_us - start), 10000.0, 200.0);
}

TEST_F(DriverIoctl, WaitReportsRxFlagAndTxEmptyOnce) {
    ASSERT_EQ(Control(kSetWaitMask, kEvRxFlag | kEvTxEmpty | 0x80)->status, kSuccess);
    SimRequest* w = h.Control(kWaitOnMask, {}, 4);
    h.kernel.Advance(50);
    EXPECT_FALSE(w->done());
    h.Write(std::string("hi"));
    ASSERT_TRUE(Settle(w, 100));
    EXPECT_EQ(DriverHarness::WordAt(w), kEvTxEmpty);
    SimRequest* again = h.Control(kWaitOnMask, {}, 4);
    h.kernel.Advance(30);
    EXPECT_FALSE(again->done());  // TX empty is reported once per write
    h.Feed("z");
    ASSERT_TRUE(Settle(again, 100));
    EXPECT_EQ(DriverHarness::WordAt(again), kEvRxFlag);
}

TEST_F(DriverIoctl, NewMaskOrNewWaitEndsTheHeldWaitWithNothing) {
    ASSERT_EQ(Control(kSetWaitMask, kEvRxChar)->status, kSuccess);
    SimRequest* first = h.Control(kWaitOnMask, {}, 4);
    h.kernel.Advance(25);
    SimRequest* second = h.Control(kWaitOnMask, {}, 4);
    EXPECT_TRUE(first->done());
    EXPECT_EQ(DriverHarness::WordAt(first), 0u);
    EXPECT_FALSE(second->done());
    EXPECT_EQ(Control(kSetWaitMask, 0x2000)->status, kInvalidParameter);
    EXPECT_TRUE(second->done());
    EXPECT_EQ(DriverHarness::WordAt(second), 0u);
    EXPECT_EQ(h.Control(kSetWaitMask, {1, 0})->status, kBufferTooSmall);
    EXPECT_EQ(Get(kGetWaitMask), 0u);
}

TEST_F(DriverIoctl, CloseEndsTheHeldWait) {
    ASSERT_EQ(Control(kSetWaitMask, kEvRxChar)->status, kSuccess);
    SimRequest* w = h.Control(kWaitOnMask, {}, 4);
    h.CloseHandle(open);
    EXPECT_TRUE(w->done());
    EXPECT_EQ(w->completions.load(), 1);
    EXPECT_EQ(DriverHarness::WordAt(w), 0u);
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
    EXPECT_TRUE(w->done());
    EXPECT_EQ(w->completions.load(), 1);
    EXPECT_EQ(DriverHarness::WordAt(w), 0u);
    h.CloseHandle(open);
}

}  // namespace
}  // namespace qmub::sim
