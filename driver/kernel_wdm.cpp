// Requests, events, spin locks, timers, threads and pool memory on the real kernel.
#include "kernel_wdm.h"

namespace qmub {
namespace {

IRP* AsIrp(void* request) {
    return static_cast<IRP*>(request);
}

NTSTATUS SignalWhenDone(DEVICE_OBJECT*, IRP* irp, void* context) {
    (void)irp;
    KeSetEvent(static_cast<KEVENT*>(context), IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

}  // namespace

void WdmServices::Bind(DEVICE_OBJECT* self, DEVICE_OBJECT* pdo, BridgeExtension* ext) {
    self_ = self;
    pdo_ = pdo;
    ext_ = ext;
    for (KSPIN_LOCK& lock : locks_)
        KeInitializeSpinLock(&lock);
    for (int i = 0; i < static_cast<int>(TimerId::kCount); ++i) {
        for (int half = 0; half < 2; ++half) {
            KeInitializeTimer(&timers_[i][half]);
            PKDEFERRED_ROUTINE routine = i == static_cast<int>(TimerId::kRead)   ? ReadTimerDpc
                                         : i == static_cast<int>(TimerId::kIdle) ? IdleTimerDpc
                                                                                 : WaitTimerDpc;
            KeInitializeDpc(&dpcs_[i][half], routine, this);
        }
    }
}

void WdmServices::ReadTimerDpc(KDPC*, void* context, void*, void*) {
    auto* self = static_cast<WdmServices*>(context);
    OnTimer(*self->ext_, TimerId::kRead);
}

void WdmServices::WaitTimerDpc(KDPC*, void* context, void*, void*) {
    auto* self = static_cast<WdmServices*>(context);
    OnTimer(*self->ext_, TimerId::kWait);
}

void WdmServices::IdleTimerDpc(KDPC*, void* context, void*, void*) {
    auto* self = static_cast<WdmServices*>(context);
    OnTimer(*self->ext_, TimerId::kIdle);
}

void WdmServices::Complete(void* request, Status status, uint64_t information) {
    IRP* irp = AsIrp(request);
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = static_cast<ULONG_PTR>(information);
    // A power request the driver ends itself lets the next one through first.
    if (IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_POWER) {
        PoStartNextPowerIrp(irp);
    }
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

void WdmServices::MarkPending(void* request) {
    IoMarkIrpPending(AsIrp(request));
}

Status WdmServices::PassDown(void* request, bool succeed) {
    IRP* irp = AsIrp(request);
    if (succeed)
        irp->IoStatus.Status = STATUS_SUCCESS;
    if (IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_POWER) {
        PoStartNextPowerIrp(irp);
        IoSkipCurrentIrpStackLocation(irp);
        return PoCallDriver(lower_, irp);
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(lower_, irp);
}

Status WdmServices::PassDownAndWait(void* request) {
    IRP* irp = AsIrp(request);
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, SignalWhenDone, &done, TRUE, TRUE, TRUE);
    NTSTATUS status = IoCallDriver(lower_, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
        status = irp->IoStatus.Status;
    }
    return status;
}

void WdmServices::InitEvent(EventId id, EventKind kind, bool signalled) {
    KeInitializeEvent(&events_[static_cast<int>(id)],
                      kind == EventKind::kNotification ? NotificationEvent : SynchronizationEvent,
                      signalled ? TRUE : FALSE);
}

void WdmServices::SetEvent(EventId id) {
    KeSetEvent(&events_[static_cast<int>(id)], IO_NO_INCREMENT, FALSE);
}

void WdmServices::ClearEvent(EventId id) {
    KeClearEvent(&events_[static_cast<int>(id)]);
}

void WdmServices::WaitEvent(EventId id) {
    KeWaitForSingleObject(&events_[static_cast<int>(id)], Executive, KernelMode, FALSE, nullptr);
}

void WdmServices::Acquire(LockId id) {
    KIRQL old;
    KeAcquireSpinLock(&locks_[static_cast<int>(id)], &old);
    lock_irql_[static_cast<int>(id)] = old;
}

void WdmServices::Release(LockId id) {
    KeReleaseSpinLock(&locks_[static_cast<int>(id)], lock_irql_[static_cast<int>(id)]);
}

void WdmServices::ArmTimer(TimerId id, uint32_t milliseconds) {
    int i = static_cast<int>(id);
    int half = 1 - last_armed_[i];
    last_armed_[i] = half;
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10000;  // relative, 100 ns units
    KeSetTimer(&timers_[i][half], due, &dpcs_[i][half]);
}

void WdmServices::CancelTimer(TimerId id) {
    int i = static_cast<int>(id);
    KeCancelTimer(&timers_[i][0]);
    KeCancelTimer(&timers_[i][1]);
}

void WdmServices::ThreadStart(void* context) {
    auto* self = static_cast<WdmServices*>(context);
    self->thread_routine_(self->thread_context_);
    PsTerminateSystemThread(STATUS_SUCCESS);
}

bool WdmServices::StartThread(ThreadRoutine routine, void* context) {
    // One pump-start thread exists at a time: an open waits until it has done its work.
    thread_routine_ = routine;
    thread_context_ = context;
    HANDLE thread = nullptr;
    NTSTATUS status = PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, nullptr, nullptr, nullptr,
                                           ThreadStart, this);
    if (!NT_SUCCESS(status))
        return false;
    ZwClose(thread);
    return true;
}

void* WdmServices::Allocate(size_t bytes) {
    if (bytes == 0)
        return nullptr;
    return ExAllocatePoolWithTag(NonPagedPool, bytes, kPoolTag);
}

void WdmServices::Free(void* memory) {
    ExFreePoolWithTag(memory, kPoolTag);
}

}  // namespace qmub
