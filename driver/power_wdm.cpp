// Power requests on the real kernel: passing them down with a completion, asking the power
// manager for device power requests, reporting the device state, and work items.
#include "kernel_wdm.h"

namespace qmub {
namespace {

struct PowerCompletion {
    PowerDone done;
    void* context;
};

struct DevicePowerCompletion {
    DevicePowerDone done;
    void* context;
};

struct WorkRecord {
    PIO_WORKITEM item;
    ThreadRoutine routine;
    void* context;
};

using RequestPowerIrpRoutine = NTSTATUS(NTAPI*)(DEVICE_OBJECT*, UCHAR, POWER_STATE,
                                                PREQUEST_POWER_COMPLETE, void*, IRP**);

// Wine's kernel only stubs PoRequestPowerIrp (calling it raises an exception) and never sends
// power requests, so the routine is looked up when the first device request is needed instead
// of being imported.
RequestPowerIrpRoutine RequestPowerIrp() {
    static RequestPowerIrpRoutine routine = nullptr;
    if (routine == nullptr) {
        UNICODE_STRING name;
        RtlInitUnicodeString(&name, L"PoRequestPowerIrp");
        routine = reinterpret_cast<RequestPowerIrpRoutine>(MmGetSystemRoutineAddress(&name));
    }
    return routine;
}

NTSTATUS PowerPassedDown(DEVICE_OBJECT*, IRP* irp, void* context) {
    PowerCompletion record = *static_cast<PowerCompletion*>(context);
    ExFreePoolWithTag(context, kPoolTag);
    if (record.done(record.context, irp->IoStatus.Status)) {
        PoStartNextPowerIrp(irp);
        return STATUS_CONTINUE_COMPLETION;
    }
    return STATUS_MORE_PROCESSING_REQUIRED;
}

void DevicePowerCompleted(DEVICE_OBJECT*, UCHAR, POWER_STATE, void* context,
                          IO_STATUS_BLOCK* io_status) {
    DevicePowerCompletion record = *static_cast<DevicePowerCompletion*>(context);
    ExFreePoolWithTag(context, kPoolTag);
    record.done(record.context, io_status->Status);
}

void RunWork(DEVICE_OBJECT*, void* context) {
    WorkRecord record = *static_cast<WorkRecord*>(context);
    ExFreePoolWithTag(context, kPoolTag);
    IoFreeWorkItem(record.item);
    record.routine(record.context);
}

// Asks the power manager for a power request to this device's stack; DevicePowerCompleted hands
// its end to `done`. A wait-wake request is stored in the caller's slot before it is sent down.
Status RequestPower(DEVICE_OBJECT* pdo, UCHAR minor, POWER_STATE power, IRP** slot,
                    DevicePowerDone done, void* context) {
    RequestPowerIrpRoutine routine = RequestPowerIrp();
    if (routine == nullptr)
        return STATUS_NOT_SUPPORTED;
    auto* record = static_cast<DevicePowerCompletion*>(
        ExAllocatePoolWithTag(NonPagedPool, sizeof(DevicePowerCompletion), kPoolTag));
    if (record == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    record->done = done;
    record->context = context;
    NTSTATUS status = routine(pdo, minor, power, DevicePowerCompleted, record, slot);
    if (!NT_SUCCESS(status)) {
        ExFreePoolWithTag(record, kPoolTag);
        return status;
    }
    return STATUS_PENDING;
}

}  // namespace

Status WdmServices::PassDownPower(void* request, PowerDone done, void* context) {
    IRP* irp = static_cast<IRP*>(request);
    auto* record = static_cast<PowerCompletion*>(
        ExAllocatePoolWithTag(NonPagedPool, sizeof(PowerCompletion), kPoolTag));
    if (record == nullptr) {
        // The request never went down: it ends here as if the lower device had failed it.
        irp->IoStatus.Status = STATUS_INSUFFICIENT_RESOURCES;
        if (done(context, STATUS_INSUFFICIENT_RESOURCES)) {
            PoStartNextPowerIrp(irp);
            IoCompleteRequest(irp, IO_NO_INCREMENT);
        }
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    record->done = done;
    record->context = context;
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, PowerPassedDown, record, TRUE, TRUE, TRUE);
    return PoCallDriver(lower_, irp);
}

Status WdmServices::RequestDevicePower(uint8_t minor, uint32_t state, DevicePowerDone done,
                                       void* context) {
    POWER_STATE power;
    power.DeviceState = static_cast<DEVICE_POWER_STATE>(state);
    return RequestPower(pdo_, minor, power, nullptr, done, context);
}

Status WdmServices::RequestWaitWake(uint32_t system_state, void** request, DevicePowerDone done,
                                    void* context) {
    POWER_STATE power;
    power.SystemState = static_cast<SYSTEM_POWER_STATE>(system_state);
    return RequestPower(pdo_, IRP_MN_WAIT_WAKE, power, reinterpret_cast<IRP**>(request), done,
                        context);
}

void WdmServices::CancelRequest(void* request) {
    IoCancelIrp(static_cast<IRP*>(request));
}

void WdmServices::ReportDevicePower(uint32_t state) {
    POWER_STATE power;
    power.DeviceState = static_cast<DEVICE_POWER_STATE>(state);
    PoSetPowerState(self_, DevicePowerState, power);
}

bool WdmServices::QueueWork(ThreadRoutine routine, void* context) {
    auto* record =
        static_cast<WorkRecord*>(ExAllocatePoolWithTag(NonPagedPool, sizeof(WorkRecord), kPoolTag));
    if (record == nullptr)
        return false;
    record->item = IoAllocateWorkItem(self_);
    if (record->item == nullptr) {
        ExFreePoolWithTag(record, kPoolTag);
        return false;
    }
    record->routine = routine;
    record->context = context;
    IoQueueWorkItem(record->item, RunWork, DelayedWorkQueue, record);
    return true;
}

}  // namespace qmub
