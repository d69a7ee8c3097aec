// Selective suspend: while no handle has the port open and no operation runs, the driver asks
// the hub for an idle notification; when the hub calls back, the device goes to PowerDownLevel.
#include "internal.h"

namespace qmub {
namespace {

bool DeviceIdle(BridgeExtension& ext) {
    return ext.open_count.Load() == 0 && ext.io_count.Load() == 1;
}

void IdleWork(void* context) {
    auto& ext = *static_cast<BridgeExtension*>(context);
    if (DeviceIdle(ext))
        SubmitIdle(ext);
    ext.kernel->SetEvent(EventId::kNoIdleDpcPending);
}

void D0AfterIdleDone(void* context, Status) {
    IoDecrement(*static_cast<BridgeExtension*>(context));
}

// Drops one reference to the idle request; the last one frees it.
void ReleaseIdleRequest(BridgeExtension& ext, void* request, int32_t references) {
    if (ext.idle_free_count.Add(-references) == 0) {
        ext.kernel->FreeIdleRequest(request);
        ext.kernel->SetEvent(EventId::kNoIdleRequestPending);
    }
}

void IdleRequestDone(void* context, Status status) {
    auto& ext = *static_cast<BridgeExtension*>(context);
    KernelServices& k = *ext.kernel;
    if (!IsSuccess(status) && status != kNotSupported && status != kPowerStateInvalid &&
        ext.device_power_state != kPowerD0) {
        IoIncrement(ext);
        if (!IsSuccess(k.RequestDevicePower(irp::kSetPower, kPowerD0, D0AfterIdleDone, &ext)))
            IoDecrement(ext);
    }
    void* request = nullptr;
    void* mine = nullptr;
    {
        LockHold hold(ext, LockId::kIdle);
        mine = ext.idle_request;
        request = mine;
        ext.idle_request = nullptr;
        ext.idle_request_pending = 0;
    }
    bool rearm = ext.idle_enabled.Load() != 0;
    if (mine != nullptr) {
        // No cancel took the request: both references are this completion's.
        ReleaseIdleRequest(ext, request, 2);
    } else {
        ReleaseIdleRequest(ext, nullptr, 1);
    }
    if (rearm)
        k.ArmTimer(TimerId::kIdle, kIdlePeriodMs);
}

void IdlePowerDone(void* context, Status status) {
    auto& ext = *static_cast<BridgeExtension*>(context);
    ext.idle_power_status = status;
    ext.kernel->SetEvent(EventId::kIdlePowerDone);
}

}  // namespace

void StartSelectiveSuspend(BridgeExtension& ext) {
    ext.idle_enabled.Store(ext.wdm_level == 0 ? ext.idle_registry_enabled : 0);
    if (ext.idle_enabled.Load() == 0)
        return;
    ext.idle_free_count.Store(2);
    ext.kernel->ArmTimer(TimerId::kIdle, kIdlePeriodMs);
}

void StopSelectiveSuspend(BridgeExtension& ext) {
    if (ext.wdm_level != 0 || ext.idle_enabled.Load() == 0)
        return;
    KernelServices& k = *ext.kernel;
    ext.idle_enabled.Store(0);
    k.CancelTimer(TimerId::kIdle);
    k.WaitEvent(EventId::kNoIdleDpcPending);
    CancelIdleRequest(ext);
    k.WaitEvent(EventId::kNoIdleRequestPending);
}

void OnIdleTimer(BridgeExtension& ext) {
    KernelServices& k = *ext.kernel;
    k.ClearEvent(EventId::kNoIdleDpcPending);
    if (ext.idle_enabled.Load() == 0 || !DeviceIdle(ext) || !k.QueueWork(IdleWork, &ext)) {
        k.SetEvent(EventId::kNoIdleDpcPending);
        if (ext.idle_enabled.Load() != 0)
            k.ArmTimer(TimerId::kIdle, kIdlePeriodMs);
    }
}

Status SubmitIdle(BridgeExtension& ext) {
    KernelServices& k = *ext.kernel;
    if (ext.device_power_state != kPowerD0)
        return kPowerStateInvalid;
    {
        LockHold hold(ext, LockId::kIdle);
        if (ext.idle_request_pending != 0)
            return kDeviceBusy;
        ext.idle_request_pending = 1;
    }
    k.ClearEvent(EventId::kNoIdleRequestPending);
    ext.idle_free_count.Store(2);
    if (ext.idle_enabled.Load() == 0 || !DeviceIdle(ext) || ext.device_power_state != kPowerD0) {
        {
            LockHold hold(ext, LockId::kIdle);
            ext.idle_request_pending = 0;
        }
        k.SetEvent(EventId::kNoIdleRequestPending);
        return kUnsuccessful;
    }
    k.CancelTimer(TimerId::kIdle);
    // The request is stored in its slot before it is sent: a completion or a cancel may come at
    // once.
    Status status = k.SubmitIdleRequest(&ext.idle_request, IdleRequestDone, &ext);
    if (!IsSuccess(status)) {
        {
            LockHold hold(ext, LockId::kIdle);
            ext.idle_request = nullptr;
            ext.idle_request_pending = 0;
        }
        k.SetEvent(EventId::kNoIdleRequestPending);
        if (ext.idle_enabled.Load() != 0)
            k.ArmTimer(TimerId::kIdle, kIdlePeriodMs);
        return status;
    }
    // An open that claimed the port while the request was on its way found nothing to cancel,
    // and the hub keeps the request of an open port: it is cancelled here, or the open's pump
    // start and writes would wait for it for ever. An open that claims the port after this look
    // cancels it itself; the exchange (rather than a plain load) orders the request's slot
    // before that claim.
    if (!ext.open_count.CompareExchange(0, 0))
        CancelIdleRequest(ext);
    return status;
}

void CancelIdleRequest(BridgeExtension& ext) {
    void* request = nullptr;
    {
        LockHold hold(ext, LockId::kIdle);
        request = ext.idle_request;
        ext.idle_request = nullptr;
    }
    if (request == nullptr)
        return;
    ext.kernel->CancelRequest(request);
    ReleaseIdleRequest(ext, request, 1);
}

void WaitForNoIdleRequest(BridgeExtension& ext) {
    if (ext.idle_enabled.Load())
        ext.kernel->WaitEvent(EventId::kNoIdleRequestPending);
}

void OnIdleCallback(BridgeExtension& ext) {
    if (ext.pnp_state.Load() != kStarted)
        return;
    if (ext.wait_wake_enabled)
        IssueWaitWake(ext);
    // An open port keeps the device working.
    if (ext.open_count.Load() != 0)
        return;
    KernelServices& k = *ext.kernel;
    k.ClearEvent(EventId::kIdlePowerDone);
    if (IsSuccess(k.RequestDevicePower(irp::kSetPower, ext.power_down_level, IdlePowerDone, &ext)))
        k.WaitEvent(EventId::kIdlePowerDone);
}

}  // namespace qmub
