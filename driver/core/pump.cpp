// The receive pump: one 64-byte bulk-in transfer in flight, pouring into the receive ring.
//
// The ring has one writer (the pump completion) and one reader (reads); each side snapshots the
// other's index under RingLock and moves data outside it. When the ring has no room for another
// packet the pump holds its next transfer (the chip keeps the bytes meanwhile) and the reader
// resumes it once it has made room, so unread bytes are never overwritten.
//
// The transfer object lives from the start of a run until the pump is stopped or started again;
// a completion never frees it, so a stopper may cancel it without holding a lock.
#include "internal.h"

namespace qmub {
namespace {

struct RingIndexes {
    uint32_t head;
    uint32_t tail;
};

RingIndexes SnapshotRing(BridgeExtension& ext) {
    LockHold hold(ext, LockId::kRing);
    return {ext.ring_head, ext.ring_tail};
}

uint32_t HeldBytes(RingIndexes r) {
    return r.head >= r.tail ? r.head - r.tail : r.head + kRingSize - r.tail;
}

// One slot stays empty so that equal indexes always mean an empty ring.
uint32_t FreeBytes(RingIndexes r) {
    return kRingSize - 1 - HeldBytes(r);
}

void PumpDone(void* context, Status status, uint32_t transferred);

// Ends a pump run: the operation count taken at its start goes last, because the device may
// be deleted as soon as it drops.
void EndRun(BridgeExtension& ext) {
    {
        LockHold hold(ext, LockId::kPump);
        ext.pump_in_flight = 0;
        ext.pump_held = false;
    }
    ext.kernel->SetEvent(EventId::kPumpRunEnded);
    ext.kernel->SetEvent(EventId::kPumpSettled);
    IoDecrement(ext);
}

Status Submit(BridgeExtension& ext) {
    const PipeInfo* pipe = ext.read_binding;
    return ext.kernel->SubmitBulk(ext.pump_transfer, pipe->handle, true, ext.bulk_in, kPacketSize,
                                  PumpDone, &ext);
}

// Sends the next transfer of a run that has already been marked in flight.
void Resubmit(BridgeExtension& ext) {
    if (IsError(Submit(ext))) {
        EndRun(ext);
        return;
    }
    // A stopper that cancelled between the decision and the submission found nothing to
    // cancel yet: cancel again now that the transfer is on its way.
    bool stopping = false;
    UsbTransfer* transfer = nullptr;
    {
        LockHold hold(ext, LockId::kPump);
        stopping = ext.pump_stop != 0;
        transfer = ext.pump_transfer;
    }
    if (stopping && transfer != nullptr)
        ext.kernel->CancelTransfer(transfer);
}

void CopyIntoRing(BridgeExtension& ext, const uint8_t* data, uint32_t n) {
    RingIndexes r = SnapshotRing(ext);
    uint32_t first = n;
    if (r.head + n >= kRingSize)
        first = kRingSize - r.head;
    CopyBytes(ext.ring + r.head, data, first);
    CopyBytes(ext.ring, data + first, n - first);
    LockHold hold(ext, LockId::kRing);
    ext.ring_head = (r.head + n) % kRingSize;
}

void PumpDone(void* context, Status status, uint32_t transferred) {
    BridgeExtension& ext = *static_cast<BridgeExtension*>(context);
    {
        LockHold hold(ext, LockId::kPump);
        ext.pump_in_flight = 0;
    }
    if (!IsSuccess(status)) {
        EndRun(ext);
        return;
    }
    uint32_t n = transferred < kPacketSize ? transferred : kPacketSize;
    ext.pump_total += n;
    // The transfer was only sent with room for a whole packet, so this never overwrites.
    CopyIntoRing(ext, ext.bulk_in, n);
    uint32_t room = FreeBytes(SnapshotRing(ext));
    bool end = false;
    bool hold_transfer = false;
    {
        LockHold hold(ext, LockId::kPump);
        if (ext.pump_stop) {
            end = true;
        } else if (room < kPacketSize) {
            ext.pump_held = true;
            hold_transfer = true;
        } else {
            ext.pump_in_flight = 1;
        }
    }
    if (end) {
        EndRun(ext);
    } else if (hold_transfer) {
        // The reader may have made room between the snapshot and the hold.
        ResumePumpIfRoom(ext);
    } else {
        Resubmit(ext);
    }
}

}  // namespace

uint32_t RingCount(BridgeExtension& ext) {
    return HeldBytes(SnapshotRing(ext));
}

void ResumePumpIfRoom(BridgeExtension& ext) {
    if (FreeBytes(SnapshotRing(ext)) < kPacketSize)
        return;
    {
        LockHold hold(ext, LockId::kPump);
        if (!ext.pump_held || ext.pump_stop)
            return;
        ext.pump_held = false;
        ext.pump_in_flight = 1;
    }
    Resubmit(ext);
}

void PumpStartThread(void* context) {
    BridgeExtension& ext = *static_cast<BridgeExtension*>(context);
    {
        LockHold hold(ext, LockId::kRing);
        ext.ring_head = 0;
        ext.ring_tail = 0;
    }
    StartReceivePump(ext);
    ext.kernel->SetEvent(EventId::kPumpThreadDone);
}

Status StartReceivePump(BridgeExtension& ext) {
    KernelServices& k = *ext.kernel;
    WaitForNoIdleRequest(ext);
    IoIncrement(ext);
    Status status = kSuccess;
    if (ext.pnp_state.Load() != kStarted) {
        status = kInvalidDeviceState;
    } else if (ext.read_binding == nullptr || ext.read_binding->type != kPipeBulk) {
        status = kInvalidHandle;
    } else if (ext.device_power_state != kPowerD0) {
        status = kPowerStateInvalid;
    } else {
        LockHold hold(ext, LockId::kPump);
        if (ext.pump_in_flight || ext.pump_held) {
            status = kDeviceBusy;
        } else {
            ext.pump_in_flight = 1;
        }
    }
    if (!IsSuccess(status)) {
        k.SetEvent(EventId::kPumpSettled);
        IoDecrement(ext);
        return status;
    }
    // A run that ended by a failed transfer left its transfer object behind.
    UsbTransfer* transfer = nullptr;
    {
        LockHold hold(ext, LockId::kPump);
        transfer = ext.pump_transfer;
        ext.pump_transfer = nullptr;
    }
    if (transfer == nullptr)
        transfer = k.NewTransfer();
    if (transfer == nullptr) {
        status = kInsufficientResources;
    } else {
        LockHold hold(ext, LockId::kPump);
        ext.pump_transfer = transfer;
        ext.pump_total = 0;
    }
    if (IsSuccess(status)) {
        k.ClearEvent(EventId::kPumpRunEnded);
        status = Submit(ext);
        if (!IsError(status)) {
            k.SetEvent(EventId::kPumpSettled);
            return kPending;
        }
        k.SetEvent(EventId::kPumpRunEnded);
    }
    {
        LockHold hold(ext, LockId::kPump);
        ext.pump_in_flight = 0;
    }
    k.SetEvent(EventId::kPumpSettled);
    IoDecrement(ext);
    return status;
}

void StopPump(BridgeExtension& ext) {
    KernelServices& k = *ext.kernel;
    bool was_held = false;
    {
        LockHold hold(ext, LockId::kPump);
        ext.pump_stop = 1;
        was_held = ext.pump_held;
    }
    if (was_held)
        EndRun(ext);
    k.WaitEvent(EventId::kPumpSettled);
    UsbTransfer* in_flight = nullptr;
    {
        LockHold hold(ext, LockId::kPump);
        if (ext.pump_in_flight)
            in_flight = ext.pump_transfer;
    }
    if (in_flight != nullptr)
        k.CancelTransfer(in_flight);
    k.WaitEvent(EventId::kPumpRunEnded);
    k.WaitEvent(EventId::kPumpThreadDone);
    UsbTransfer* transfer = nullptr;
    {
        LockHold hold(ext, LockId::kPump);
        transfer = ext.pump_transfer;
        ext.pump_transfer = nullptr;
    }
    if (transfer != nullptr)
        k.FreeTransfer(transfer);
    ext.pump_active.Store(0);
}

}  // namespace qmub
