// Device set-up, the operation counter and the Plug and Play requests.
#include "internal.h"

namespace qmub {
namespace {

constexpr uint32_t kCapabilitiesSize = 64;
constexpr uint32_t kSurpriseRemovalOkBit = 1u << 9;  // in the flags word at offset 4
constexpr uint32_t kDeviceStateOffset = 16;          // device state per system state, 7 words
constexpr uint32_t kDeviceNameChars = 128;           // at most 256 bytes of a name are read

void SetState(BridgeExtension& ext, uint32_t state) {
    LockHold hold(ext, LockId::kState);
    ext.prev_pnp_state = ext.pnp_state.Load();
    ext.pnp_state.Store(state);
}

void RestoreState(BridgeExtension& ext) {
    LockHold hold(ext, LockId::kState);
    ext.pnp_state.Store(ext.prev_pnp_state);
}

void SetSurpriseRemovalOk(uint8_t* caps) {
    StoreLe32(caps + 4, LoadLe32(caps + 4) | kSurpriseRemovalOkBit);
}

// The port name from "PortName", else "Identifier"; the status of the last query otherwise.
Status ReadPortName(BridgeExtension& ext, char16_t* name, uint32_t* chars) {
    Status status = ext.kernel->ReadDeviceString(u"PortName", name, kDeviceNameChars, chars);
    if (!IsSuccess(status)) {
        status = ext.kernel->ReadDeviceString(u"Identifier", name, kDeviceNameChars, chars);
    }
    return status;
}

// Steps that make the port visible: the DOS link, the device map entry, the serial defaults.
// Undoes what it did when one of them fails.
Status PublishPort(BridgeExtension& ext, const char16_t* name, uint32_t chars) {
    KernelServices& k = *ext.kernel;
    Status status = kSuccess;
    if (chars == 0 || chars > kPortNameChars) {
        // The device map entry holds at most 32 characters; a longer name would publish a
        // value that does not open the port.
        status = kInvalidParameter;
    } else {
        for (uint32_t i = 0; i < chars; ++i)
            ext.port_name[i] = name[i];
        ext.port_name[chars] = 0;
        status = k.CreateDosLink(ext.port_name);
        if (IsSuccess(status)) {
            ext.link_created = true;
            status = k.WriteSerialComm(ext.port_name);
        }
        if (IsSuccess(status)) {
            ext.serialcomm_written = true;
            LoadSerialDefaults(ext);
            status = k.SetInterfaceState(true);
        }
    }
    if (!IsSuccess(status)) {
        if (ext.serialcomm_written)
            k.DeleteSerialComm();
        if (ext.link_created)
            k.DeleteDosLink(ext.port_name);
        ext.serialcomm_written = false;
        ext.link_created = false;
        k.SetInterfaceState(false);
        k.FreeInterfaceName();
    }
    return status;
}

Status StartDevice(BridgeExtension& ext, IoRequest& request) {
    KernelServices& k = *ext.kernel;
    FreeConfiguration(ext);
    Status status = k.PassDownAndWait(request.handle);
    if (!IsSuccess(status))
        return status;
    status = Configure(ext);
    if (!IsSuccess(status))
        return status;
    status = k.SetInterfaceState(true);
    if (!IsSuccess(status))
        return status;
    char16_t name[kDeviceNameChars] = {};
    uint32_t chars = 0;
    status = ReadPortName(ext, name, &chars);
    if (!IsSuccess(status))
        return status;
    status = PublishPort(ext, name, chars);
    SetState(ext, kStarted);
    ext.wait_wake_request.Store(nullptr);
    ext.wait_wake_cancel.Store(0);
    ext.wait_wake_outstanding.Store(0);
    if (ext.wait_wake_enabled)
        IssueWaitWake(ext);
    StartSelectiveSuspend(ext);
    return status;
}

// The link and the device map entry go when the device goes, open handles or not.
void UnpublishPort(BridgeExtension& ext) {
    KernelServices& k = *ext.kernel;
    k.SetInterfaceState(false);
    if (ext.link_created)
        k.DeleteDosLink(ext.port_name);
    if (ext.serialcomm_written)
        k.DeleteSerialComm();
    ext.link_created = false;
    ext.serialcomm_written = false;
    k.FreeInterfaceName();
}

// Ends a held read and a held wait through their timers and waits until both are gone.
void EndHeldRequests(BridgeExtension& ext) {
    {
        LockHold hold(ext, LockId::kSettings);
        ext.wait_cancel = 1;
    }
    if (ext.read_held.Load())
        ext.read_abort.Store(1);
    ext.kernel->WaitEvent(EventId::kNoWaitHeld);
    ext.kernel->WaitEvent(EventId::kNoReadHeld);
}

void StopPumpIfActive(BridgeExtension& ext) {
    if (ext.pump_active.Load())
        StopPump(ext);
}

void SurpriseRemoval(BridgeExtension& ext) {
    StopPumpIfActive(ext);
    ext.kernel->WaitEvent(EventId::kPumpThreadDone);
    {
        LockHold hold(ext, LockId::kSettings);
        ext.wait_cancel = 1;
    }
    if (ext.read_held.Load())
        ext.read_abort.Store(1);
    CancelWaitWake(ext);
    StopSelectiveSuspend(ext);
    SetState(ext, kSurpriseRemoved);
    UnpublishPort(ext);
    AbortPipes(ext);
}

void RemoveDevice(BridgeExtension& ext, IoRequest& request) {
    KernelServices& k = *ext.kernel;
    if (ext.pnp_state.Load() != kSurpriseRemoved) {
        CancelWaitWake(ext);
        StopSelectiveSuspend(ext);
        UnpublishPort(ext);
        AbortPipes(ext);
    }
    StopPumpIfActive(ext);
    SetState(ext, kRemoved);
    EndHeldRequests(ext);
    IoDecrement(ext);
    IoDecrement(ext);
    k.WaitEvent(EventId::kRemove);
    k.CancelTimer(TimerId::kRead);
    k.CancelTimer(TimerId::kWait);
    FreeConfiguration(ext);
    ReleaseExtension(ext);
    k.PassDown(request.handle, true);
    k.DeleteDevice();
}

Status StopDevice(BridgeExtension& ext, IoRequest& request) {
    KernelServices& k = *ext.kernel;
    k.WaitEvent(EventId::kPumpSettled);
    k.WaitEvent(EventId::kPumpThreadDone);
    ext.pump_active.Store(0);
    CancelWaitWake(ext);
    StopSelectiveSuspend(ext);
    SetState(ext, kStopped);
    FreeConfiguration(ext);
    Status status = Unconfigure(ext);
    return k.PassDown(request.handle, IsSuccess(status));
}

Status QueryCapabilities(BridgeExtension& ext, IoRequest& request) {
    uint8_t* caps = request.capabilities;
    if (caps == nullptr || LoadLe16(caps + 2) == 0 || LoadLe16(caps) < kCapabilitiesSize) {
        return kUnsuccessful;
    }
    SetSurpriseRemovalOk(caps);
    Status status = ext.kernel->PassDownAndWait(request.handle);
    ext.power_down_level = 0;
    if (IsSuccess(status)) {
        CopyBytes(ext.capabilities, caps, kCapabilitiesSize);
        // System states S1, S2, S3 are entries 2, 3 and 4; the last one above D3 wins.
        for (uint32_t s = 2; s <= 4; ++s) {
            uint32_t d = LoadLe32(caps + kDeviceStateOffset + 4 * s);
            if (d < kPowerD3)
                ext.power_down_level = d;
        }
        SetSurpriseRemovalOk(caps);
    }
    if (ext.power_down_level <= kPowerD0)
        ext.power_down_level = kPowerD2;
    return status;
}

// Cancel-stop and cancel-remove: the previous state comes back once the lower device agrees.
Status CancelQuery(BridgeExtension& ext, IoRequest& request, uint32_t pending_state) {
    if (ext.pnp_state.Load() != pending_state)
        return kSuccess;
    Status status = ext.kernel->PassDownAndWait(request.handle);
    if (IsSuccess(status))
        RestoreState(ext);
    return status;
}

}  // namespace

void IoIncrement(BridgeExtension& ext) {
    LockHold hold(ext, LockId::kIoCount);
    if (ext.io_count.Add(1) == 2)
        ext.kernel->ClearEvent(EventId::kStop);
}

void IoDecrement(BridgeExtension& ext) {
    LockHold hold(ext, LockId::kIoCount);
    int32_t count = ext.io_count.Add(-1);
    if (count == 1)
        ext.kernel->SetEvent(EventId::kStop);
    if (count == 0)
        ext.kernel->SetEvent(EventId::kRemove);
}

Status InitializeExtension(BridgeExtension& ext, KernelServices* kernel) {
    ext.kernel = kernel;
    ext.ring = static_cast<uint8_t*>(kernel->Allocate(kRingSize));
    if (ext.ring == nullptr)
        return kInsufficientResources;
    const EventId signalled[] = {EventId::kPumpThreadDone, EventId::kPumpSettled,
                                 EventId::kPumpRunEnded,   EventId::kCloseIdle,
                                 EventId::kNoReadHeld,     EventId::kNoWaitHeld};
    for (EventId id : signalled)
        kernel->InitEvent(id, EventKind::kNotification, true);
    kernel->InitEvent(EventId::kNoWaitWake, EventKind::kNotification, true);
    kernel->InitEvent(EventId::kNoIdleDpcPending, EventKind::kNotification, true);
    kernel->InitEvent(EventId::kNoIdleRequestPending, EventKind::kNotification, true);
    kernel->InitEvent(EventId::kIdlePowerDone, EventKind::kSynchronization, false);
    kernel->InitEvent(EventId::kRemove, EventKind::kSynchronization, false);
    kernel->InitEvent(EventId::kStop, EventKind::kSynchronization, true);
    ext.timeouts[kReadInterval] = 1000;
    ext.io_count.Store(1);
    ext.system_power_state = kPowerWorking;
    ext.device_power_state = kPowerD0;
    return kSuccess;
}

void ReleaseExtension(BridgeExtension& ext) {
    if (ext.pump_transfer != nullptr)
        ext.kernel->FreeTransfer(ext.pump_transfer);
    ext.pump_transfer = nullptr;
    if (ext.ring != nullptr)
        ext.kernel->Free(ext.ring);
    ext.ring = nullptr;
}

void ReadParameters(BridgeExtension& ext, uint32_t wdm_level) {
    ext.wdm_level = wdm_level;
    ext.serial_emulation = 1;
    ext.dtr_function.Store(1);
    ext.receive_from_device = 1;
    ext.idle_registry_enabled = 0;
    ext.idle_enabled.Store(0);
    if (wdm_level != 0)
        return;
    struct Parameter {
        const char16_t* name;
        uint32_t* field;
    };
    const Parameter parameters[] = {{u"PreventFromSuspend", &ext.receive_from_device},
                                    {u"PreventFromSuspend1", &ext.serial_emulation},
                                    {u"SSUsbEnable", &ext.idle_registry_enabled}};
    for (const Parameter& p : parameters) {
        uint32_t value = 0;
        switch (ext.kernel->ReadParameter(p.name, &value)) {
            case RegistryRead::kFound:
                *p.field = value;
                break;
            case RegistryRead::kAbsent:
                *p.field = 1;
                break;
            case RegistryRead::kFailed:
                *p.field = 0;
                break;
        }
    }
}

Status DispatchPnp(BridgeExtension& ext, IoRequest& request) {
    KernelServices& k = *ext.kernel;
    if (ext.pnp_state.Load() == kRemoved)
        return Finish(ext, request, kDeletePending, 0);
    IoIncrement(ext);
    if (request.minor != irp::kStartDevice && ext.idle_enabled.Load())
        CancelIdleRequest(ext);
    Status status = kSuccess;
    switch (request.minor) {
        case irp::kStartDevice:
            status = StartDevice(ext, request);
            k.Complete(request.handle, status, 0);
            IoDecrement(ext);
            return status;
        case irp::kQueryStopDevice:
            if (ext.pump_active.Load()) {
                // An open port keeps its pump (and an operation count) until it is closed:
                // waiting for the count here would never end.
                k.Complete(request.handle, kDeviceBusy, 0);
                IoDecrement(ext);
                return kDeviceBusy;
            }
            k.WaitEvent(EventId::kPumpSettled);
            k.WaitEvent(EventId::kPumpThreadDone);
            SetState(ext, kStopPending);
            IoDecrement(ext);
            k.WaitEvent(EventId::kStop);
            return k.PassDown(request.handle, true);
        case irp::kCancelStopDevice:
            status = CancelQuery(ext, request, kStopPending);
            k.Complete(request.handle, status, 0);
            IoDecrement(ext);
            return status;
        case irp::kStopDevice:
            status = StopDevice(ext, request);
            IoDecrement(ext);
            return status;
        case irp::kQueryRemoveDevice:
            StopPumpIfActive(ext);
            {
                LockHold hold(ext, LockId::kSettings);
                ext.wait_cancel = 1;
            }
            if (ext.read_held.Load())
                ext.read_abort.Store(1);
            SetState(ext, kRemovePending);
            IoDecrement(ext);
            k.WaitEvent(EventId::kStop);
            return k.PassDown(request.handle, true);
        case irp::kCancelRemoveDevice:
            status = CancelQuery(ext, request, kRemovePending);
            k.Complete(request.handle, status, 0);
            IoDecrement(ext);
            return status;
        case irp::kSurpriseRemoval:
            SurpriseRemoval(ext);
            status = k.PassDown(request.handle, true);
            IoDecrement(ext);
            return status;
        case irp::kRemoveDevice:
            RemoveDevice(ext, request);
            return kSuccess;
        case irp::kQueryCapabilities:
            status = QueryCapabilities(ext, request);
            k.Complete(request.handle, status, 0);
            IoDecrement(ext);
            return status;
        default:
            status = k.PassDown(request.handle, false);
            IoDecrement(ext);
            return status;
    }
}

}  // namespace qmub
