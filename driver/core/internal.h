// Declarations shared between the areas of the driver core (not used by the glue).
#pragma once

#include "bridge_extension.h"

namespace qmub {

// Holds one spin lock for a scope. Locks are never nested.
class LockHold {
public:
    LockHold(BridgeExtension& ext, LockId id) : kernel_(*ext.kernel), id_(id) {
        kernel_.Acquire(id_);
    }
    ~LockHold() { kernel_.Release(id_); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    KernelServices& kernel_;
    LockId id_;
};

// usb_config.cpp
Status Configure(BridgeExtension& ext);
Status Unconfigure(BridgeExtension& ext);
void FreeConfiguration(BridgeExtension& ext);
void AbortPipes(BridgeExtension& ext);
Status SendLineCoding(BridgeExtension& ext);
Status SendDtrState(BridgeExtension& ext, bool raise);

// pump.cpp
void PumpStartThread(void* context);
Status StartReceivePump(BridgeExtension& ext);
void StopPump(BridgeExtension& ext);
uint32_t RingCount(BridgeExtension& ext);
void ResumePumpIfRoom(BridgeExtension& ext);

// readwrite.cpp
void OnReadTick(BridgeExtension& ext);
uint32_t CopyFromRing(BridgeExtension& ext, uint8_t* to, uint32_t wanted);

// ioctl.cpp
void OnWaitPoll(BridgeExtension& ext);
void LoadSerialDefaults(BridgeExtension& ext);

// power.cpp
Status IssueWaitWake(BridgeExtension& ext);
// Cancels an outstanding wait-wake and waits until its completion has run.
void CancelWaitWake(BridgeExtension& ext);

// idle.cpp
inline constexpr uint32_t kIdlePeriodMs = 5000;
void StartSelectiveSuspend(BridgeExtension& ext);
void StopSelectiveSuspend(BridgeExtension& ext);
void CancelIdleRequest(BridgeExtension& ext);
void OnIdleTimer(BridgeExtension& ext);
Status SubmitIdle(BridgeExtension& ext);
// I/O controls, writes and the pump start wait while an idle request is on its way.
void WaitForNoIdleRequest(BridgeExtension& ext);

// Completes a request and answers the status the dispatch routine returns.
inline Status Finish(BridgeExtension& ext, IoRequest& request, Status status,
                     uint64_t information) {
    ext.kernel->Complete(request.handle, status, information);
    return status;
}

}  // namespace qmub
