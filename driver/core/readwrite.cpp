// Open, close, cleanup, reads under the serial time-out rules, writes and the DTR markers.
#include "internal.h"

namespace qmub {
namespace {

constexpr uint32_t kReadTickMs = 1;
constexpr uint32_t kMaxWrite = 65536;
constexpr uint32_t kChunk = 256;
constexpr uint32_t kNoInterval = 0xFFFFFFFF;

// What reads return when reception is switched off in the registry.
constexpr uint8_t kModemReply[26] = {'A',  'T',  'Q',  '0',  'V',  '1',  'E',  '0', 'S',
                                     '0',  '=',  '0',  0x0D, 0x0D, 0x0A, 'O',  'K', 0x0D,
                                     0x0A, 0x0D, 0x0A, 'O',  'K',  0x0D, 0x0A, 0x0D};

// Writes that switch whether DTR requests reach the chip; they are not sent.
constexpr uint8_t kDtrEnableMarker[32] = {'Q', 'u', 'i', 'l', 'm', 'a', 'r', '_', 'Q', 'M', 'U',
                                          'B', '4', '1', '7', 'A', '_', 'D', 'T', 'R', '_', 'F',
                                          'u', 'n', 'c', '_', 'E', 'n', 'a', 'b', 'l', 'e'};
constexpr uint8_t kDtrDisableMarker[32] = {'Q', 'u', 'i', 'l', 'm', 'a', 'r', '_', 'Q', 'M', 'U',
                                           'B', '4', '1', '7', 'A', '_', 'D', 'T', 'R', '_', 'F',
                                           'u', 'n', 'c', '_', 'D', 'i', 's', 'a', 'b', 'l'};

int PipeIndexFromName(const BridgeExtension& ext, const char16_t* name, uint32_t chars) {
    if (!ext.configured || name == nullptr)
        return -1;
    uint32_t end = chars;
    while (end > 0 && !(name[end - 1] >= u'0' && name[end - 1] <= u'9'))
        --end;
    uint32_t start = end;
    while (start > 0 && name[start - 1] >= u'0' && name[start - 1] <= u'9')
        --start;
    if (start == end)
        return -1;
    uint32_t number = 0;
    for (uint32_t i = start; i < end; ++i) {
        number = number * 10 + static_cast<uint32_t>(name[i] - u'0');
        if (number >= 6)
            return -1;
    }
    return static_cast<int>(number);
}

bool IsBulk(const PipeInfo* pipe) {
    return pipe != nullptr && pipe->type == kPipeBulk;
}

// Starts the pump-start thread and waits until the first transfer is out (or has failed).
Status LaunchPump(BridgeExtension& ext) {
    KernelServices& k = *ext.kernel;
    k.ClearEvent(EventId::kPumpThreadDone);
    k.ClearEvent(EventId::kPumpSettled);
    ext.pump_active.Store(1);
    if (!k.StartThread(PumpStartThread, &ext)) {
        ext.pump_active.Store(0);
        k.SetEvent(EventId::kPumpThreadDone);
        k.SetEvent(EventId::kPumpSettled);
        return kInsufficientResources;
    }
    k.WaitEvent(EventId::kPumpSettled);
    return kSuccess;
}

void ReleaseHeldRead(BridgeExtension& ext, Status status, uint32_t bytes) {
    void* request = ext.held_read;
    ext.held_read = nullptr;
    ext.kernel->Complete(request, status, bytes);
    // The event first: a new read may claim the slot as soon as the flag drops.
    ext.kernel->SetEvent(EventId::kNoReadHeld);
    ext.read_held.Store(0);
}

void FillFromModemReply(BridgeExtension& ext) {
    if (ext.read_buffer == nullptr) {
        ext.read_done = 0;
        return;
    }
    for (uint32_t i = 0; i < ext.read_requested; ++i) {
        ext.read_buffer[i] = kModemReply[i % sizeof kModemReply];
    }
    ext.read_done = ext.read_requested;
}

struct WriteContext {
    BridgeExtension* ext;
    void* request;
    UsbTransfer* transfer;
    uint8_t* copy;        // private copy of the whole data, or null when sent in chunks
    const uint8_t* next;  // next chunk of the request's own buffer
    uint32_t remaining;   // bytes after the chunk in flight
    uint32_t total;       // bytes the device accepted
};

void FinishWrite(WriteContext* w, Status status) {
    BridgeExtension& ext = *w->ext;
    KernelServices& k = *ext.kernel;
    k.FreeTransfer(w->transfer);
    if (w->copy != nullptr)
        k.Free(w->copy);
    k.Complete(w->request, status, w->total);
    k.Free(w);
    IoDecrement(ext);
}

void WriteDone(void* context, Status status, uint32_t transferred);

Status SendChunk(WriteContext* w, uint8_t* data, uint32_t length) {
    BridgeExtension& ext = *w->ext;
    return ext.kernel->SubmitBulk(w->transfer, ext.write_binding->handle, false, data, length,
                                  WriteDone, w);
}

void WriteDone(void* context, Status status, uint32_t transferred) {
    auto* w = static_cast<WriteContext*>(context);
    if (!IsSuccess(status)) {
        FinishWrite(w, status);
        return;
    }
    w->total += transferred;
    if (w->remaining == 0) {
        FinishWrite(w, kSuccess);
        return;
    }
    uint32_t chunk = w->remaining < kChunk ? w->remaining : kChunk;
    uint8_t* data = const_cast<uint8_t*>(w->next);
    w->next += chunk;
    w->remaining -= chunk;
    status = SendChunk(w, data, chunk);
    if (IsError(status))
        FinishWrite(w, status);
}

// Hands the write to a bulk-out transfer; the request is pending from here on.
Status BulkOut(BridgeExtension& ext, IoRequest& r) {
    KernelServices& k = *ext.kernel;
    if (r.data == nullptr)
        return Finish(ext, r, kInsufficientResources, 0);
    auto* w = static_cast<WriteContext*>(k.Allocate(sizeof(WriteContext)));
    if (w == nullptr)
        return Finish(ext, r, kInsufficientResources, 0);
    *w = WriteContext{&ext, r.handle, nullptr, nullptr, nullptr, 0, 0};
    uint8_t* data = nullptr;
    uint32_t length = r.data_length;
    w->copy = static_cast<uint8_t*>(k.Allocate(length));
    if (w->copy != nullptr) {
        CopyBytes(w->copy, r.data, length);
        data = w->copy;
    } else {
        // Without room for a copy the data go out from the request's buffer in small chunks.
        uint32_t chunk = length < kChunk ? length : kChunk;
        data = r.data;
        w->next = r.data + chunk;
        w->remaining = length - chunk;
        length = chunk;
    }
    w->transfer = k.NewTransfer();
    if (w->transfer == nullptr) {
        if (w->copy != nullptr)
            k.Free(w->copy);
        k.Free(w);
        return Finish(ext, r, kInsufficientResources, 0);
    }
    k.MarkPending(r.handle);
    IoIncrement(ext);
    Status status = SendChunk(w, data, length);
    if (IsError(status)) {
        if (status != kCancelled && status != kDeviceNotConnected) {
            Status reset = k.ResetPipe(ext.write_binding->handle);
            if (!IsSuccess(reset))
                k.RecoverPort();
        }
        FinishWrite(w, status);
    }
    return kPending;
}

}  // namespace

uint32_t CopyFromRing(BridgeExtension& ext, uint8_t* to, uint32_t wanted) {
    uint32_t head = 0;
    uint32_t tail = 0;
    {
        LockHold hold(ext, LockId::kRing);
        head = ext.ring_head;
        tail = ext.ring_tail;
    }
    uint32_t available = head >= tail ? head - tail : head + kRingSize - tail;
    uint32_t n = available < wanted ? available : wanted;
    if (to == nullptr || n == 0)
        return 0;
    uint32_t first = tail + n < kRingSize ? n : kRingSize - tail;
    CopyBytes(to, ext.ring + tail, first);
    CopyBytes(to + first, ext.ring, n - first);
    {
        LockHold hold(ext, LockId::kRing);
        ext.ring_tail = (tail + n) % kRingSize;
    }
    ResumePumpIfRoom(ext);
    return n;
}

Status DispatchCreate(BridgeExtension& ext, IoRequest& r) {
    KernelServices& k = *ext.kernel;
    // Opening the port ends a selective suspend on its way.
    if (ext.idle_enabled.Load())
        CancelIdleRequest(ext);
    if (ext.restart_pump_on_open == 1) {
        ext.restart_pump_on_open = 0;
        ext.reopen_in_progress = 1;
        {
            LockHold hold(ext, LockId::kPump);
            ext.pump_stop = 0;
        }
        Status status = LaunchPump(ext);
        if (IsSuccess(status))
            status = SendLineCoding(ext);
        if (!IsSuccess(status))
            return Finish(ext, r, status, 0);
    }
    bool reopen = ext.reopen_in_progress == 1;
    ext.reopen_in_progress = 0;
    // One open at a time: the slot is claimed here and given back if the open fails.
    if (!reopen && !ext.open_count.CompareExchange(0, 1)) {
        return Finish(ext, r, kInsufficientResources, 0);
    }
    if (reopen)
        ext.open_count.Add(1);
    // An idle request sent after the cancel above, by idle work that still found the port
    // closed, goes now that the port is claimed (idle work that sees the claim first cancels it
    // itself).
    if (ext.idle_enabled.Load())
        CancelIdleRequest(ext);
    Status status = kSuccess;
    if (ext.pnp_state.Load() != kStarted || !ext.configured) {
        status = kInvalidDeviceState;
    } else if (!r.has_file_object) {
        status = kInvalidParameter;
    }
    if (!IsSuccess(status)) {
        ext.open_count.Add(-1);
        return Finish(ext, r, status, 0);
    }
    if (r.file_context != nullptr)
        *r.file_context = nullptr;
    int own = PipeIndexFromName(ext, r.file_name, r.file_name_chars);
    int write_pipe = PipeIndexFromName(ext, u"\\PIPE01", 7);
    int read_pipe = PipeIndexFromName(ext, u"\\PIPE00", 7);
    {
        LockHold hold(ext, LockId::kPump);
        ext.pump_stop = 0;
    }
    ext.wait_mask.Store(0);
    {
        LockHold hold(ext, LockId::kSettings);
        ext.wait_cancel = 0;
        ext.tx_since_wait = 0;
    }
    ext.read_abort.Store(0);
    k.InitEvent(EventId::kNoWaitHeld, EventKind::kNotification, true);
    status = kInvalidParameter;
    bool write_bound = false;
    if (write_pipe >= 0 && read_pipe >= 0) {
        for (uint32_t i = 0; i < ext.interface_info.pipe_count; ++i) {
            const PipeInfo* pipe = &ext.interface_info.pipes[i];
            if (own >= 0 && static_cast<uint32_t>(own) == i) {
                if (r.file_context != nullptr)
                    *r.file_context = const_cast<PipeInfo*>(pipe);
                ext.pipe_open[i] = 1;
                status = kSuccess;
            }
            if (i == 1) {
                ext.write_binding = pipe;
                ext.pipe_open[1] = 1;
                write_bound = true;
                status = kSuccess;
            }
            if (i == 0) {
                // An open that restarted the pump after a power transition finds the pump
                // already reading through this binding: it is left untouched.
                if (ext.read_binding != pipe)
                    ext.read_binding = pipe;
                ext.pipe_open[0] = 1;
            }
        }
    }
    if (!write_bound) {
        ext.open_count.Add(-1);
        return Finish(ext, r, status, 0);
    }
    if (ext.receive_from_device != 0 && ext.pump_active.Load() == 0) {
        Status launched = LaunchPump(ext);
        if (!IsSuccess(launched)) {
            ext.open_count.Add(-1);
            return Finish(ext, r, launched, 0);
        }
    }
    return Finish(ext, r, status, 0);
}

Status DispatchClose(BridgeExtension& ext, IoRequest& r) {
    KernelServices& k = *ext.kernel;
    k.ClearEvent(EventId::kCloseIdle);
    k.WaitEvent(EventId::kPumpSettled);
    k.WaitEvent(EventId::kPumpThreadDone);
    k.WaitEvent(EventId::kNoWaitHeld);
    k.WaitEvent(EventId::kNoReadHeld);
    if (r.file_context != nullptr && *r.file_context != nullptr && r.file_name_chars > 0) {
        int index = PipeIndexFromName(ext, r.file_name, r.file_name_chars);
        if (index >= 0)
            ext.pipe_open[index] = 0;
    }
    k.Complete(r.handle, kSuccess, 0);
    if (ext.open_count.Add(-1) < 0)
        ext.open_count.Store(0);
    k.SetEvent(EventId::kCloseIdle);
    return kSuccess;
}

Status DispatchCleanup(BridgeExtension& ext, IoRequest& r) {
    KernelServices& k = *ext.kernel;
    IoIncrement(ext);
    StopPump(ext);
    {
        LockHold hold(ext, LockId::kSettings);
        ext.wait_cancel = 1;
    }
    k.WaitEvent(EventId::kNoWaitHeld);
    if (ext.read_held.Load())
        ext.read_abort.Store(1);
    k.WaitEvent(EventId::kNoReadHeld);
    k.Complete(r.handle, kSuccess, 0);
    IoDecrement(ext);
    return kSuccess;
}

Status DispatchFlush(BridgeExtension& ext, IoRequest& r) {
    return Finish(ext, r, kSuccess, 0);
}

Status DispatchRead(BridgeExtension& ext, IoRequest& r) {
    KernelServices& k = *ext.kernel;
    if (ext.pnp_state.Load() == kRemoved)
        return Finish(ext, r, kDeletePending, 0);
    // One read is served at a time; another one meanwhile gets nothing.
    if (!ext.read_held.CompareExchange(0, 1))
        return Finish(ext, r, kSuccess, 0);
    k.ClearEvent(EventId::kNoReadHeld);
    ext.held_read = r.handle;
    ext.read_done = 0;
    if (!r.has_buffer || r.data_length == 0) {
        ReleaseHeldRead(ext, kSuccess, 0);
        return kSuccess;
    }
    ext.read_requested = r.data_length;
    ext.read_buffer = r.data;
    ext.read_ticks = 0;
    if (ext.receive_from_device == 0) {
        FillFromModemReply(ext);
    } else {
        ext.read_done = CopyFromRing(ext, ext.read_buffer, ext.read_requested);
    }
    uint32_t interval = 0;
    uint32_t constant = 0;
    {
        LockHold hold(ext, LockId::kSettings);
        interval = ext.timeouts[kReadInterval];
        constant = ext.timeouts[kReadConstant];
    }
    if (ext.receive_from_device != 0 && ext.read_done < ext.read_requested &&
        interval != kNoInterval && !(interval == 0 && constant == 0)) {
        k.MarkPending(r.handle);
        k.ArmTimer(TimerId::kRead, kReadTickMs);
        return kPending;
    }
    uint32_t done = ext.read_done;
    ReleaseHeldRead(ext, kSuccess, done);
    return kSuccess;
}

void OnReadTick(BridgeExtension& ext) {
    // The read timer is one-shot and has expired: nothing to cancel here.
    KernelServices& k = *ext.kernel;
    if (!ext.read_held.Load() || ext.held_read == nullptr)
        return;
    ++ext.read_ticks;
    if (ext.read_abort.Load() == 1) {
        ReleaseHeldRead(ext, kSuccess, 0);
        return;
    }
    ext.read_done +=
        CopyFromRing(ext, ext.read_buffer + ext.read_done, ext.read_requested - ext.read_done);
    if (ext.read_done >= ext.read_requested) {
        ReleaseHeldRead(ext, kSuccess, ext.read_requested);
        return;
    }
    uint32_t interval = 0;
    uint32_t constant = 0;
    {
        LockHold hold(ext, LockId::kSettings);
        interval = ext.timeouts[kReadInterval];
        constant = ext.timeouts[kReadConstant];
    }
    bool expired = false;
    if (interval == kNoInterval) {
        expired = true;  // changed to "return at once" while the read waited
    } else if (interval != 0) {
        expired = ext.read_ticks > interval / 13;
    } else if (constant != 0) {
        expired = ext.read_ticks > constant / 12;
    } else {
        expired = true;  // both time-outs dropped to 0 while the read waited
    }
    if (expired) {
        ReleaseHeldRead(ext, kTimeout, ext.read_done);
    } else {
        k.ArmTimer(TimerId::kRead, kReadTickMs);
    }
}

Status DispatchWrite(BridgeExtension& ext, IoRequest& r) {
    WaitForNoIdleRequest(ext);
    bool started = ext.pnp_state.Load() == kStarted;
    if (ext.serial_emulation == 0) {
        if (!started)
            return Finish(ext, r, kInvalidDeviceState, 0);
        if (!IsBulk(ext.write_binding))
            return Finish(ext, r, kInvalidHandle, 0);
        return Finish(ext, r, kSuccess, r.has_buffer ? r.data_length : 0);
    }
    if (!r.has_buffer)
        return Finish(ext, r, kSuccess, 0);
    if (r.data_length >= 32 && r.data != nullptr) {
        if (EqualBytes(r.data, kDtrEnableMarker, 32)) {
            ext.dtr_function.Store(1);
            return Finish(ext, r, kSuccess, r.data_length);
        }
        if (EqualBytes(r.data, kDtrDisableMarker, 32)) {
            ext.dtr_function.Store(0);
            return Finish(ext, r, kSuccess, r.data_length);
        }
    }
    {
        LockHold hold(ext, LockId::kSettings);
        ext.tx_since_wait = 1;
    }
    if (!started)
        return Finish(ext, r, kInvalidDeviceState, 0);
    if (!IsBulk(ext.write_binding))
        return Finish(ext, r, kInvalidHandle, 0);
    if (r.data_length > kMaxWrite)
        return Finish(ext, r, kInvalidParameter, 0);
    if (r.data_length == 0)
        return Finish(ext, r, kSuccess, 0);
    return BulkOut(ext, r);
}

void OnTimer(BridgeExtension& ext, TimerId timer) {
    if (timer == TimerId::kRead) {
        OnReadTick(ext);
    } else if (timer == TimerId::kIdle) {
        OnIdleTimer(ext);
    } else {
        OnWaitPoll(ext);
    }
}

}  // namespace qmub
