// The simulated kernel's power manager: power requests passed down, device power requests asked
// for by the driver, work items, the hub's idle request and the system-control requests.
#include "sim_kernel.h"

namespace qmub::sim {

SimRequest* SimKernel::Power(uint8_t minor, bool device, uint32_t state) {
    SimRequest* r = NewRequest(irp::kPower, minor);
    r->view.power_device = device;
    r->view.power_state = state;
    return r;
}

// The lower device completes the request at once; the driver's completion runs first and may
// keep it, in which case the driver completes it later itself.
Status SimKernel::PassDownPower(void* request, PowerDone done, void* context) {
    auto* r = static_cast<SimRequest*>(request);
    if (r->done())
        Fault("power request passed down after it was completed");
    r->status = kSuccess;
    if (done(context, kSuccess))
        Finish(r, kSuccess);
    return kSuccess;
}

// The simulated bridge announces no remote wakeup, so the driver never arms a wait-wake.
Status SimKernel::RequestWaitWake(uint32_t, void**, DevicePowerDone, void*) {
    Fault("wait-wake requested of a bridge without remote wakeup");
    return kNotSupported;
}

Status SimKernel::SubmitIdleRequest(void** request, DevicePowerDone done, void* context) {
    if (on_idle_submit)
        on_idle_submit();
    SimRequest* r = NewRequest(0x0F);  // internal device control
    *request = r;
    ++live_idle_requests;
    std::unique_lock<std::mutex> lock(mutex_);
    if (r->cancel_requested) {
        // Cancelled on its way down: the hub completes it as soon as it gets it.
        ++idle_requests_sent;
        lock.unlock();
        done(context, kCancelled);
        return kPending;
    }
    if (idle_held_.request != nullptr)
        faults.push_back("second idle request sent while one is pending");
    idle_held_ = {r, done, context};
    ++idle_requests_sent;
    return kPending;
}

void SimKernel::FreeIdleRequest(void* request) {
    auto* r = static_cast<SimRequest*>(request);
    if (r == nullptr || r->view.major != 0x0F || r->information == 0xDEAD) {
        Fault("idle request freed twice or never sent");
        return;
    }
    r->information = 0xDEAD;
    --live_idle_requests;
}

bool SimKernel::idle_request_held() {
    std::lock_guard<std::mutex> lock(mutex_);
    return idle_held_.request != nullptr;
}

void SimKernel::CompleteIdle(Status status) {
    IdleHeld held;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held = idle_held_;
        idle_held_ = {};
    }
    if (held.request != nullptr)
        held.done(held.context, status);
}

void SimKernel::CancelRequest(void* request) {
    bool idle = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // The platform marks the request cancelled, so that a driver that gets it only later
        // completes it at once: a cancel is never lost on the request's way down.
        if (request != nullptr)
            static_cast<SimRequest*>(request)->cancel_requested = true;
        idle = idle_held_.request == request && request != nullptr;
    }
    if (idle)
        CompleteIdle(kCancelled);
}

Status SimKernel::RequestDevicePower(uint8_t minor, uint32_t state, DevicePowerDone done,
                                     void* context) {
    SimRequest* r = Power(minor, true, state);
    r->on_complete = [done, context](Status status) { done(context, status); };
    {
        std::lock_guard<std::mutex> lock(mutex_);
        device_power_requests.push_back(r);
    }
    DispatchPower(*ext_, r->view);
    return kPending;
}

void SimKernel::ReportDevicePower(uint32_t) {}

bool SimKernel::QueueWork(ThreadRoutine routine, void* context) {
    Run(routine, context, AtDispatchLevel());
    return true;
}

Status SimKernel::SystemControl(void* request) {
    static_cast<SimRequest*>(request)->passed_down = true;
    return kSuccess;
}

}  // namespace qmub::sim
