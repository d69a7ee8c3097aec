// Power requests: the driver follows system power changes by asking for the matching device
// power state, and powers the device down only after its own operations have drained.
#include "internal.h"

namespace qmub {
namespace {

// Offsets in the capabilities record the bus reported.
constexpr uint32_t kDeviceStateOffset = 16;  // device state per system state, 7 words
constexpr uint32_t kSystemWakeOffset = 44;
constexpr uint32_t kDeviceWakeOffset = 48;
constexpr uint32_t kSystemStates = 7;

// One power request on its way through the driver; freed by the step that ends it.
struct PowerOp {
    BridgeExtension* ext = nullptr;
    void* request = nullptr;
    uint8_t minor = 0;
    uint32_t state = 0;
};

PowerOp* NewOp(BridgeExtension& ext, const IoRequest& r) {
    auto* op = static_cast<PowerOp*>(ext.kernel->Allocate(sizeof(PowerOp)));
    if (op == nullptr)
        return nullptr;
    op->ext = &ext;
    op->request = r.handle;
    op->minor = r.minor;
    op->state = r.power_state;
    return op;
}

void FreeOp(PowerOp* op) {
    op->ext->kernel->Free(op);
}

// Ends a power request here (the next one is let through first) and drops its count.
Status FailPower(BridgeExtension& ext, void* request, Status status) {
    ext.kernel->Complete(request, status, 0);
    IoDecrement(ext);
    return status;
}

// The device state the bus maps a system state to. An unmapped entry (0) stands for D0 in the
// working state and D3 otherwise, so that a device request is always a valid one.
uint32_t DeviceStateFor(const BridgeExtension& ext, uint32_t system_state) {
    uint32_t mapped = 0;
    if (system_state < kSystemStates)
        mapped = LoadLe32(ext.capabilities + kDeviceStateOffset + 4 * system_state);
    if (mapped == 0 || mapped > kPowerD3)
        mapped = system_state == kPowerWorking ? kPowerD0 : kPowerD3;
    return mapped;
}

// An open port's pump holds an operation count for as long as it runs: it is stopped before
// the device may leave D0, and the next open starts it again.
void StopPumpForPowerChange(BridgeExtension& ext) {
    if (ext.pump_active.Load() && ext.open_count.Load() > 0) {
        ext.restart_pump_on_open = 1;
        StopPump(ext);
    }
}

// Device requests of either kind: a successful set records and reports the new state.
bool DevicePowerDone(void* context, Status status) {
    auto* op = static_cast<PowerOp*>(context);
    BridgeExtension& ext = *op->ext;
    if (IsSuccess(status) && op->minor == irp::kSetPower) {
        ext.device_power_state = op->state;
        ext.kernel->ReportDevicePower(op->state);
    }
    FreeOp(op);
    IoDecrement(ext);
    return true;
}

// The device request asked for by a system request has completed: its status is the system
// request's status.
void DeviceRequestForSystemDone(void* context, Status status) {
    auto* op = static_cast<PowerOp*>(context);
    BridgeExtension& ext = *op->ext;
    void* request = op->request;
    FreeOp(op);
    ext.system_power_held.Store(0);
    ext.kernel->Complete(request, status, 0);
    IoDecrement(ext);
}

bool SystemPowerDone(void* context, Status status) {
    auto* op = static_cast<PowerOp*>(context);
    BridgeExtension& ext = *op->ext;
    if (!IsSuccess(status)) {
        FreeOp(op);
        IoDecrement(ext);
        return true;
    }
    if (op->minor == irp::kSetPower)
        ext.system_power_state = op->state;
    ext.system_power_held.Store(1);
    Status asked = ext.kernel->RequestDevicePower(op->minor, DeviceStateFor(ext, op->state),
                                                  DeviceRequestForSystemDone, op);
    if (!IsSuccess(asked)) {
        ext.system_power_held.Store(0);
        void* request = op->request;
        FreeOp(op);
        ext.kernel->Complete(request, asked, 0);
        IoDecrement(ext);
    }
    // The system request stays with the driver until its device request has completed.
    return false;
}

// Runs in a work item because it waits: the power request's own count (and that of the
// system request waiting for it) is given back while the driver waits for every other
// operation to end, then the request goes down. The base count stays: dropping it would
// signal the removal event while the device is still in use.
void DrainThenPassDown(void* context) {
    auto* op = static_cast<PowerOp*>(context);
    BridgeExtension& ext = *op->ext;
    int held = ext.system_power_held.Load() ? 2 : 1;
    for (int i = 0; i < held; ++i)
        IoDecrement(ext);
    ext.kernel->WaitEvent(EventId::kStop);
    for (int i = 0; i < held; ++i)
        IoIncrement(ext);
    ext.kernel->PassDownPower(op->request, DevicePowerDone, op);
}

Status DrainFirst(BridgeExtension& ext, PowerOp* op) {
    if (!ext.kernel->QueueWork(DrainThenPassDown, op)) {
        void* request = op->request;
        FreeOp(op);
        FailPower(ext, request, kInsufficientResources);
    }
    return kPending;
}

Status SystemQueryPower(BridgeExtension& ext, PowerOp* op) {
    if (ext.wait_wake_enabled && op->state > LoadLe32(ext.capabilities + kSystemWakeOffset)) {
        void* request = op->request;
        FreeOp(op);
        FailPower(ext, request, kInvalidDeviceState);
        return kPending;
    }
    if (op->state > ext.system_power_state && ext.wait_wake_enabled &&
        ext.wait_wake_outstanding.Load() == 0)
        IssueWaitWake(ext);
    if (op->state != kPowerWorking)
        StopPumpForPowerChange(ext);
    ext.kernel->PassDownPower(op->request, SystemPowerDone, op);
    return kPending;
}

Status DeviceQueryPower(BridgeExtension& ext, PowerOp* op) {
    if (ext.wait_wake_enabled && op->state > LoadLe32(ext.capabilities + kDeviceWakeOffset)) {
        void* request = op->request;
        FreeOp(op);
        FailPower(ext, request, kInvalidDeviceState);
        return kPending;
    }
    if (op->state >= ext.device_power_state) {
        // The drain would wait for ever on the count an open port's pump holds.
        if (op->state != kPowerD0)
            StopPumpForPowerChange(ext);
        return DrainFirst(ext, op);
    }
    ext.kernel->PassDownPower(op->request, DevicePowerDone, op);
    return kPending;
}

Status DeviceSetPower(BridgeExtension& ext, PowerOp* op) {
    if (ext.device_power_state == kPowerD0 && op->state > kPowerD0)
        return DrainFirst(ext, op);
    ext.kernel->PassDownPower(op->request, DevicePowerDone, op);
    return kPending;
}

uint32_t g_wmi_level = 3;

// The wait-wake request came back from below: whoever of this completion and a cancel takes
// the request last completes it.
bool WaitWakePassedDown(void* context, Status) {
    auto* ext = static_cast<BridgeExtension*>(context);
    if (ext->wait_wake_request.Exchange(nullptr) != nullptr)
        return true;
    if (ext->wait_wake_cancel.Exchange(1) != 0)
        return true;
    return false;  // the cancel completes it
}

void WakeD0Done(void* context, Status) {
    IoDecrement(*static_cast<BridgeExtension*>(context));
}

// The requested wait-wake has ended: a wake signalled while the device sleeps brings it back to
// D0, and remote wakeup is armed again.
void WaitWakeEnded(void* context, Status status) {
    auto* ext = static_cast<BridgeExtension*>(context);
    ext->wait_wake_request.Store(nullptr);
    ext->wait_wake_outstanding.Store(0);
    if (IsSuccess(status) && ext->device_power_state != kPowerD0 &&
        ext->pnp_state.Load() == kStarted) {
        IoIncrement(*ext);
        if (!IsSuccess(ext->kernel->RequestDevicePower(irp::kSetPower, kPowerD0, WakeD0Done, ext)))
            IoDecrement(*ext);
        if (ext->wait_wake_enabled)
            IssueWaitWake(*ext);
    }
    if (ext->wait_wake_outstanding.Load() == 0)
        ext->kernel->SetEvent(EventId::kNoWaitWake);
}

}  // namespace

Status IssueWaitWake(BridgeExtension& ext) {
    if (ext.wait_wake_outstanding.Exchange(1) != 0)
        return kDeviceBusy;
    ext.wait_wake_cancel.Store(0);
    ext.kernel->ClearEvent(EventId::kNoWaitWake);
    uint32_t system_wake = LoadLe32(ext.capabilities + kSystemWakeOffset);
    Status status =
        ext.kernel->RequestWaitWake(system_wake, ext.wait_wake_request.Cell(), WaitWakeEnded, &ext);
    if (!IsSuccess(status)) {
        ext.wait_wake_request.Store(nullptr);
        ext.wait_wake_outstanding.Store(0);
        ext.kernel->SetEvent(EventId::kNoWaitWake);
    }
    return status;
}

void CancelWaitWake(BridgeExtension& ext) {
    void* request = ext.wait_wake_request.Exchange(nullptr);
    if (request != nullptr) {
        ext.kernel->CancelRequest(request);
        if (ext.wait_wake_cancel.Exchange(1) != 0)
            ext.kernel->Complete(request, kCancelled, 0);
    }
    // Its completion may still be on its way: the extension must outlive it.
    ext.kernel->WaitEvent(EventId::kNoWaitWake);
}

Status DispatchPower(BridgeExtension& ext, IoRequest& r) {
    KernelServices& k = *ext.kernel;
    k.WaitEvent(EventId::kCloseIdle);
    uint32_t state = ext.pnp_state.Load();
    if (state == kRemoved)
        return Finish(ext, r, kDeletePending, 0);
    if (state == kNotStarted)
        return k.PassDown(r.handle, false);
    IoIncrement(ext);
    if (r.minor == irp::kWaitWake) {
        k.MarkPending(r.handle);
        k.PassDownPower(r.handle, WaitWakePassedDown, &ext);
        IoDecrement(ext);
        return kPending;
    }
    if (r.minor != irp::kSetPower && r.minor != irp::kQueryPower) {
        Status status = k.PassDown(r.handle, false);
        IoDecrement(ext);
        return status;
    }
    if (r.minor == irp::kSetPower) {
        bool leaving_work =
            r.power_device ? r.power_state != kPowerD0 : r.power_state != kPowerWorking;
        if (leaving_work)
            StopPumpForPowerChange(ext);
    }
    PowerOp* op = NewOp(ext, r);
    if (op == nullptr) {
        FailPower(ext, r.handle, kInsufficientResources);
        return kInsufficientResources;
    }
    k.MarkPending(r.handle);
    if (!r.power_device) {
        if (r.minor == irp::kQueryPower)
            return SystemQueryPower(ext, op);
        k.PassDownPower(op->request, SystemPowerDone, op);
        return kPending;
    }
    return r.minor == irp::kQueryPower ? DeviceQueryPower(ext, op) : DeviceSetPower(ext, op);
}

Status DispatchSystemControl(BridgeExtension& ext, IoRequest& r) {
    if (ext.pnp_state.Load() == kRemoved)
        return Finish(ext, r, kDeletePending, 0);
    IoIncrement(ext);
    Status status = ext.kernel->SystemControl(r.handle);
    IoDecrement(ext);
    return status;
}

uint32_t WmiLevel() {
    return __atomic_load_n(&g_wmi_level, __ATOMIC_SEQ_CST);
}

void ResetWmiLevel() {
    __atomic_store_n(&g_wmi_level, 3u, __ATOMIC_SEQ_CST);
}

Status WmiQueryDataBlock(uint32_t guid_index, uint8_t* buffer, uint32_t size, uint32_t* needed) {
    if (guid_index != 0)
        return kWmiGuidNotFound;
    *needed = kWmiBlockSize;
    if (buffer == nullptr || size < kWmiBlockSize)
        return kBufferTooSmall;
    // The level value, then a counted UTF-16 text: byte count 20, "Marwenbel" and its NUL.
    static constexpr char16_t kName[] = u"Marwenbel";
    StoreLe32(buffer, WmiLevel());
    StoreLe16(buffer + 4, sizeof(kName));
    for (uint32_t i = 0; i < sizeof(kName) / sizeof(kName[0]); ++i)
        StoreLe16(buffer + 6 + 2 * i, static_cast<uint16_t>(kName[i]));
    return kSuccess;
}

Status WmiSetDataBlock(uint32_t guid_index, const uint8_t* data, uint32_t size) {
    if (guid_index != 0)
        return kWmiGuidNotFound;
    if (size != 4 || data == nullptr)
        return kInfoLengthMismatch;
    __atomic_store_n(&g_wmi_level, LoadLe32(data), __ATOMIC_SEQ_CST);
    return kSuccess;
}

Status WmiSetDataItem(uint32_t guid_index, uint32_t item, const uint8_t* data, uint32_t size) {
    if (guid_index != 0)
        return kWmiGuidNotFound;
    if (item != kWmiLevelItem)
        return kWmiReadOnly;
    return WmiSetDataBlock(guid_index, data, size);
}

}  // namespace qmub
