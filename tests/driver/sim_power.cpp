// The simulated kernel's power manager and WMI: power requests passed down, device power
// requests asked for by the driver, work items and the system-control requests.
#include "sim_kernel.h"

namespace qmub::sim {

SimRequest* SimKernel::Power(uint8_t minor, bool device, uint32_t state) {
    SimRequest* r = NewRequest(irp::kPower, minor);
    r->view.power_device = device;
    r->view.power_state = state;
    return r;
}

void SimKernel::FinishPowerBelow(SimRequest* r, PowerDone done, void* context, Status status) {
    // The lower device completes the request; the driver's completion runs first and may keep
    // it, in which case the driver completes it later itself.
    r->status = status;
    if (done(context, status)) {
        if (r->done()) {
            Fault("power request completed twice");
            return;
        }
        r->completed_at_us = now_us();
        r->completions.fetch_add(1);
        if (r->on_complete)
            r->on_complete(status);
    }
}

Status SimKernel::PassDownPower(void* request, PowerDone done, void* context) {
    auto* r = static_cast<SimRequest*>(request);
    if (r->done())
        Fault("power request passed down after it was completed");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        power_passed_down.push_back(r);
        if (r->view.minor == irp::kWaitWake) {
            held_wait_wake_.push_back({r, done, context});
            return kPending;
        }
        if (hold_power) {
            held_power_.push_back({r, done, context});
            return kPending;
        }
    }
    FinishPowerBelow(r, done, context, lower_power_status);
    return lower_power_status;
}

void SimKernel::ReleaseHeldPower() {
    std::vector<HeldPower> held;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held.swap(held_power_);
        hold_power = false;
    }
    for (HeldPower& h : held)
        FinishPowerBelow(h.request, h.done, h.context, lower_power_status);
}

size_t SimKernel::held_wait_wakes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_wait_wake_.size();
}

void SimKernel::SignalWake(Status status) {
    std::vector<HeldPower> held;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held.swap(held_wait_wake_);
    }
    for (HeldPower& h : held)
        FinishPowerBelow(h.request, h.done, h.context, status);
}

Status SimKernel::RequestWaitWake(uint32_t system_state, void** request, DevicePowerDone done,
                                  void* context) {
    if (fail_wait_wake)
        return kInsufficientResources;
    SimRequest* r = Power(irp::kWaitWake, false, system_state);
    r->on_complete = [done, context](Status status) { done(context, status); };
    *request = r;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wait_wake_requests.push_back(r);
    }
    DispatchPower(*ext_, r->view);
    return kPending;
}

void SimKernel::CancelRequest(void* request) {
    HeldPower found{nullptr, nullptr, nullptr};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = held_wait_wake_.begin(); it != held_wait_wake_.end(); ++it) {
            if (it->request == request) {
                found = *it;
                held_wait_wake_.erase(it);
                break;
            }
        }
    }
    if (found.request != nullptr)
        FinishPowerBelow(found.request, found.done, found.context, kCancelled);
}

Status SimKernel::RequestDevicePower(uint8_t minor, uint32_t state, DevicePowerDone done,
                                     void* context) {
    if (fail_device_power_request)
        return kInsufficientResources;
    SimRequest* r = Power(minor, true, state);
    r->on_complete = [done, context](Status status) { done(context, status); };
    {
        std::lock_guard<std::mutex> lock(mutex_);
        device_power_requests.push_back(r);
    }
    DispatchPower(*ext_, r->view);
    return kPending;
}

void SimKernel::ReportDevicePower(uint32_t state) {
    std::lock_guard<std::mutex> lock(mutex_);
    reported_device_states.push_back(state);
}

bool SimKernel::QueueWork(ThreadRoutine routine, void* context) {
    if (fail_work_item)
        return false;
    if (threaded_) {
        std::lock_guard<std::mutex> lock(mutex_);
        threads_.emplace_back(routine, context);
    } else {
        routine(context);
    }
    return true;
}

Status SimKernel::SystemControl(void* request) {
    auto* r = static_cast<SimRequest*>(request);
    r->passed_down = true;
    std::lock_guard<std::mutex> lock(mutex_);
    system_control_passed_down.push_back(r);
    return lower_status;
}

}  // namespace qmub::sim
