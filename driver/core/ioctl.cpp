// The serial I/O controls: settings the platform reads back, line coding and DTR to the chip,
// status from the receive ring, and the event wait polled every 10 ms.
#include "internal.h"
#include "serial_codes.h"

namespace qmub {
namespace {

constexpr uint32_t kWaitPollMs = 10;
constexpr uint32_t kControlInvalid = 0x7FFFFF84;  // handshake bits no serial port defines
constexpr uint32_t kFlowInvalid = 0x7FFFFF20;
constexpr uint32_t kDtrMask = 0x03;
constexpr uint32_t kAllReadTimeouts = 0xFFFFFFFF;
constexpr uint8_t kBreakBit = 0x40;
constexpr uint8_t kParityCodes[] = {0x00, 0x08, 0x18, 0x28, 0x38};

struct Outcome {
    Status status;
    uint32_t bytes;
};

constexpr Outcome kDone{kSuccess, 0};
constexpr Outcome kTooSmall{kBufferTooSmall, 0};
constexpr Outcome kInvalid{kInvalidParameter, 0};

Outcome SetBaudRate(BridgeExtension& ext, const IoRequest& r) {
    if (r.input_length < 4)
        return kTooSmall;
    if (ext.device_power_state != kPowerD0)
        ext.kernel->ReportPowerD0();
    ext.baud_rate.Store(LoadLe32(r.input));
    return {SendLineCoding(ext), 0};
}

// StopBits, Parity, WordLength as the platform sends them, to the stored line-control bits.
bool EncodeLineControl(uint8_t stop_bits, uint8_t parity, uint8_t word_length, uint8_t* bits) {
    if (word_length < 5 || word_length > 8)
        return false;
    if (parity > 4)
        return false;
    uint8_t value = static_cast<uint8_t>((word_length - 5) | kParityCodes[parity]);
    switch (stop_bits) {
        case 0:
            break;
        case 1:  // one and a half: only with five data bits
            if (word_length != 5)
                return false;
            value |= 0x04;
            break;
        case 2:
            if (word_length == 5)
                return false;
            value |= 0x04;
            break;
        default:
            return false;
    }
    *bits = value;
    return true;
}

Outcome SetLineControl(BridgeExtension& ext, const IoRequest& r) {
    if (r.input_length < 3)
        return kTooSmall;
    if (ext.device_power_state != kPowerD0)
        ext.kernel->ReportPowerD0();
    uint8_t bits = 0;
    if (!EncodeLineControl(r.input[0], r.input[1], r.input[2], &bits))
        return kInvalid;
    {
        LockHold hold(ext, LockId::kSettings);
        ext.line_control = static_cast<uint8_t>((ext.line_control & kBreakBit) | bits);
    }
    return {SendLineCoding(ext), 0};
}

Outcome GetLineControl(BridgeExtension& ext, const IoRequest& r) {
    if (r.output_length < 3)
        return kTooSmall;
    uint8_t lc = 0;
    {
        LockHold hold(ext, LockId::kSettings);
        lc = ext.line_control;
    }
    FillBytes(r.output, 0, r.output_length);
    uint8_t word_length = static_cast<uint8_t>((lc & 0x03) + 5);
    uint8_t parity = 0;
    for (uint8_t i = 0; i < 5; ++i) {
        if ((lc & 0x38) == kParityCodes[i])
            parity = i;
    }
    uint8_t stop_bits = 0;
    if (lc & 0x04)
        stop_bits = word_length == 5 ? 1 : 2;
    r.output[0] = stop_bits;
    r.output[1] = parity;
    r.output[2] = word_length;
    return {kSuccess, 3};
}

Outcome SetTimeouts(BridgeExtension& ext, const IoRequest& r) {
    if (r.input_length < 20)
        return kTooSmall;
    uint32_t values[5];
    for (uint32_t i = 0; i < 5; ++i)
        values[i] = LoadLe32(r.input + 4 * i);
    if (values[kReadInterval] == kAllReadTimeouts && values[kReadMultiplier] == kAllReadTimeouts &&
        values[kReadConstant] == kAllReadTimeouts) {
        return kInvalid;
    }
    LockHold hold(ext, LockId::kSettings);
    for (uint32_t i = 0; i < 5; ++i)
        ext.timeouts[i] = values[i];
    return kDone;
}

// Reports the five stored time-outs, so that a program reading them back gets what it set.
Outcome GetTimeouts(BridgeExtension& ext, const IoRequest& r) {
    if (r.output_length < 20)
        return kTooSmall;
    LockHold hold(ext, LockId::kSettings);
    for (uint32_t i = 0; i < 5; ++i)
        StoreLe32(r.output + 4 * i, ext.timeouts[i]);
    return {kSuccess, 20};
}

Outcome SetChars(BridgeExtension& ext, const IoRequest& r) {
    if (r.input_length < 6)
        return kTooSmall;
    LockHold hold(ext, LockId::kSettings);
    CopyBytes(ext.chars, r.input, 6);
    return kDone;
}

Outcome GetChars(BridgeExtension& ext, const IoRequest& r) {
    if (r.output_length < 6)
        return kTooSmall;
    LockHold hold(ext, LockId::kSettings);
    CopyBytes(r.output, ext.chars, 6);
    return {kSuccess, 6};
}

Outcome SetHandflow(const IoRequest& r) {
    if (r.input_length < 16)
        return kTooSmall;
    uint32_t control = LoadLe32(r.input);
    uint32_t flow = LoadLe32(r.input + 4);
    if ((control & kControlInvalid) || (flow & kFlowInvalid) || (control & kDtrMask) == kDtrMask) {
        return kInvalid;
    }
    return kDone;  // accepted; the handshake the chip runs is fixed
}

Outcome GetHandflow(BridgeExtension& ext, const IoRequest& r) {
    if (r.output_length < 16)
        return kTooSmall;
    LockHold hold(ext, LockId::kSettings);
    for (uint32_t i = 0; i < 4; ++i)
        StoreLe32(r.output + 4 * i, ext.handflow[i]);
    return {kSuccess, 16};
}

Outcome SetDtr(BridgeExtension& ext, bool raise) {
    if (ext.dtr_function.Load() != 1)
        return kDone;
    return {SendDtrState(ext, raise), 0};
}

Outcome PutWord(const IoRequest& r, uint32_t value) {
    if (r.output_length < 4)
        return kTooSmall;
    StoreLe32(r.output, value);
    return {kSuccess, 4};
}

Outcome GetCommStatus(BridgeExtension& ext, const IoRequest& r) {
    if (r.output_length < 20)
        return kTooSmall;
    uint32_t waiting = RingCount(ext);
    FillBytes(r.output, 0, 20);
    StoreLe32(r.output + 8, waiting);  // AmountInInQueue
    return {kSuccess, 20};
}

Outcome GetProperties(const IoRequest& r) {
    if (r.output_length < 64)
        return kTooSmall;
    uint8_t* p = r.output;
    FillBytes(p, 0, 64);
    StoreLe16(p + 0, 64);           // PacketLength
    StoreLe16(p + 2, 2);            // PacketVersion
    StoreLe32(p + 4, 1);            // ServiceMask: serial communications
    StoreLe32(p + 20, 0x00020000);  // MaxBaud: 115200
    StoreLe32(p + 24, 1);           // ProvSubType: RS-232
    StoreLe32(p + 28, 0x1EB);       // ProvCapabilities
    StoreLe32(p + 32, 0x3F);        // SettableParams
    StoreLe32(p + 36, 0x1006FFFF);  // SettableBaud
    StoreLe16(p + 40, 0x000F);      // SettableData
    StoreLe16(p + 42, 0x1F07);      // SettableStopParity
    return {kSuccess, 64};
}

// Ends any held wait (the next poll completes it with no events) and claims the wait slot for
// the caller when `claim` is given. Returns with no wait held, or with the claim made.
void ClearHeldWait(BridgeExtension& ext, void* claim) {
    KernelServices& k = *ext.kernel;
    for (;;) {
        {
            LockHold hold(ext, LockId::kSettings);
            ext.wait_cancel = 1;
        }
        k.WaitEvent(EventId::kNoWaitHeld);
        if (claim == nullptr)
            return;
        LockHold hold(ext, LockId::kSettings);
        if (ext.held_wait == nullptr) {
            ext.held_wait = claim;
            ext.wait_cancel = 0;
            k.ClearEvent(EventId::kNoWaitHeld);
            return;
        }
    }
}

Outcome SetWaitMask(BridgeExtension& ext, const IoRequest& r) {
    ClearHeldWait(ext, nullptr);
    if (r.input_length < 4)
        return kTooSmall;
    uint32_t mask = LoadLe32(r.input);
    if (mask & ~serial::kEvAll)
        return kInvalid;
    ext.wait_mask.Store(mask);
    return kDone;
}

// Answers kPending when the request is held.
Outcome WaitOnMask(BridgeExtension& ext, IoRequest& r) {
    ClearHeldWait(ext, nullptr);
    if (r.output_length < 4)
        return kTooSmall;
    StoreLe32(r.output, 0);
    if (ext.wait_mask.Load() == 0)
        return {kSuccess, 4};
    ClearHeldWait(ext, r.handle);
    // A wait that passed the port's gate as the handle's cleanup began may claim the slot only
    // after the cleanup has ended the held waits: with the pump stopping or stopped it ends now,
    // with no events, or the close would wait for it for ever.
    bool stopping = false;
    {
        LockHold hold(ext, LockId::kPump);
        stopping = ext.pump_stop != 0;
    }
    if (stopping) {
        {
            LockHold hold(ext, LockId::kSettings);
            ext.held_wait = nullptr;
        }
        ext.kernel->SetEvent(EventId::kNoWaitHeld);
        return {kSuccess, 4};
    }
    ext.wait_result = r.output;
    ext.kernel->MarkPending(r.handle);
    ext.kernel->ArmTimer(TimerId::kWait, kWaitPollMs);
    return {kPending, 0};
}

Outcome Control(BridgeExtension& ext, IoRequest& r) {
    using namespace serial;
    switch (r.control_code) {
        case kSetBaudRate:
            return SetBaudRate(ext, r);
        case kSetLineControl:
            return SetLineControl(ext, r);
        case kGetBaudRate:
            return PutWord(r, ext.baud_rate.Load());
        case kGetLineControl:
            return GetLineControl(ext, r);
        case kSetTimeouts:
            return SetTimeouts(ext, r);
        case kGetTimeouts:
            return GetTimeouts(ext, r);
        case kSetChars:
            return SetChars(ext, r);
        case kGetChars:
            return GetChars(ext, r);
        case kSetHandflow:
            return SetHandflow(r);
        case kGetHandflow:
            return GetHandflow(ext, r);
        case kSetDtr:
            return SetDtr(ext, true);
        case kClrDtr:
            return SetDtr(ext, false);
        case kSetWaitMask:
            return SetWaitMask(ext, r);
        case kGetWaitMask:
        case kGetModemStatus:
        case kConfigSize:
            return PutWord(r, 0);
        case kWaitOnMask:
            return WaitOnMask(ext, r);
        case kGetCommStatus:
            return GetCommStatus(ext, r);
        case kGetProperties:
            return GetProperties(r);
        case kGetCommConfig:
        case kSetCommConfig:
            return kInvalid;
        default:
            // The remaining defined functions are accepted without effect: the chip has no
            // queue sizes, break, RTS, XON/XOFF or statistics, and purge keeps the ring.
            return SerialFunction(r.control_code) != 0 ? kDone : kInvalid;
    }
}

}  // namespace

void LoadSerialDefaults(BridgeExtension& ext) {
    ext.baud_rate.Store(9600);
    LockHold hold(ext, LockId::kSettings);
    ext.chars[4] = 0x11;
    ext.chars[5] = 0x13;
    ext.handflow[0] = 1;     // ControlHandShake: DTR control
    ext.handflow[1] = 0x40;  // FlowReplace: RTS control
    ext.handflow[2] = 0;
    ext.handflow[3] = 0;
    ext.line_control = 3;
}

Status DispatchDeviceControl(BridgeExtension& ext, IoRequest& request) {
    if (ext.pnp_state.Load() != kStarted)
        return Finish(ext, request, kInvalidDeviceState, 0);
    WaitForNoIdleRequest(ext);
    IoIncrement(ext);
    Outcome outcome = kDone;
    if (ext.serial_emulation != 0 && ext.pump_active.Load() != 0)
        outcome = Control(ext, request);
    if (outcome.status != kPending)
        ext.kernel->Complete(request.handle, outcome.status, outcome.bytes);
    IoDecrement(ext);
    return outcome.status;
}

void OnWaitPoll(BridgeExtension& ext) {
    // The wait timer is one-shot and has expired: nothing to cancel here.
    KernelServices& k = *ext.kernel;
    bool cancel = false;
    {
        LockHold hold(ext, LockId::kSettings);
        cancel = ext.wait_cancel != 0;
        if (ext.held_wait == nullptr)
            return;
    }
    uint32_t result = 0;
    if (!cancel) {
        uint32_t mask = ext.wait_mask.Load();
        uint32_t waiting = RingCount(ext);
        if ((mask & serial::kEvRxChar) && waiting != 0)
            result |= serial::kEvRxChar;
        if ((mask & serial::kEvRxFlag) && waiting != 0)
            result |= serial::kEvRxFlag;
        if (mask & serial::kEvTxEmpty) {
            LockHold hold(ext, LockId::kSettings);
            if (ext.tx_since_wait == 1) {
                result |= serial::kEvTxEmpty;
                ext.tx_since_wait = 0;
            }
        }
        if (result == 0) {
            k.ArmTimer(TimerId::kWait, kWaitPollMs);
            return;
        }
    }
    StoreLe32(ext.wait_result, result);
    void* request = nullptr;
    {
        LockHold hold(ext, LockId::kSettings);
        request = ext.held_wait;
        ext.held_wait = nullptr;
    }
    k.Complete(request, kSuccess, 4);
    k.SetEvent(EventId::kNoWaitHeld);
}

}  // namespace qmub
