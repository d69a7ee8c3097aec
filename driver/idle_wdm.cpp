// The hub's idle notification on the real kernel: the request, its 16-byte callback record and
// the callback that lets the core suspend the device.
#include "kernel_wdm.h"

namespace qmub {
namespace {

// CTL_CODE(FILE_DEVICE_USB, USB_IDLE_NOTIFICATION, METHOD_NEITHER, FILE_ANY_ACCESS); the
// MinGW-w64 headers do not carry it.
constexpr ULONG kSubmitIdleNotification = 0x00220027;

// The callback record the hub reads: routine, then context.
struct IdleCallbackInfo {
    void (*callback)(void* context);
    void* context;
};
static_assert(sizeof(IdleCallbackInfo) == 16);

struct IdleRecord {
    IdleCallbackInfo info;
    DevicePowerDone done;
    void* done_context;
};

void IdleCallback(void* context) {
    OnIdleCallback(*static_cast<BridgeExtension*>(context));
}

NTSTATUS IdleCompleted(DEVICE_OBJECT*, IRP* irp, void* context) {
    auto* record = static_cast<IdleRecord*>(context);
    record->done(record->done_context, irp->IoStatus.Status);
    return STATUS_MORE_PROCESSING_REQUIRED;  // the request is freed by FreeIdleRequest
}

}  // namespace

Status WdmServices::SubmitIdleRequest(void** request, DevicePowerDone done, void* context) {
    auto* record =
        static_cast<IdleRecord*>(ExAllocatePoolWithTag(NonPagedPool, sizeof(IdleRecord), kPoolTag));
    if (record == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    IRP* irp = IoAllocateIrp(lower_->StackSize, FALSE);
    if (irp == nullptr) {
        ExFreePoolWithTag(record, kPoolTag);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    record->info.callback = IdleCallback;
    record->info.context = ext_;
    record->done = done;
    record->done_context = context;
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(irp);
    next->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = kSubmitIdleNotification;
    next->Parameters.DeviceIoControl.InputBufferLength = sizeof(IdleCallbackInfo);
    next->Parameters.DeviceIoControl.Type3InputBuffer = &record->info;
    irp->Tail.Overlay.DriverContext[0] = record;
    IoSetCompletionRoutine(irp, IdleCompleted, record, TRUE, TRUE, TRUE);
    *request = irp;
    IoCallDriver(lower_, irp);
    return STATUS_PENDING;
}

void WdmServices::FreeIdleRequest(void* request) {
    IRP* irp = static_cast<IRP*>(request);
    ExFreePoolWithTag(irp->Tail.Overlay.DriverContext[0], kPoolTag);
    IoFreeIrp(irp);
}

}  // namespace qmub
