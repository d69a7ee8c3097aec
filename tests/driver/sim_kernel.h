// A simulated kernel for the driver core: an I/O manager that builds and completes requests,
// events, spin locks, one-shot timers on a virtual clock, threads, pool memory with injected
// failures, the registry and names, and the simulated bridge as the lower device.
//
// Two modes. Deterministic (the default): every wait that is not yet satisfied runs the virtual
// clock until it is, and the pump-start thread runs inline. Threaded: waits block on real
// condition variables, threads are real, and a clock thread (or the test) advances time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/bridge_extension.h"
#include "sim_bridge.h"

namespace qmub::sim {

struct SimRequest {
    IoRequest view;
    std::vector<uint8_t> buffer;  // system buffer or locked data buffer
    void* file_context = nullptr;
    std::vector<uint8_t> capabilities;
    std::atomic<int> completions{0};
    std::atomic<bool> pending{false};
    std::atomic<bool> passed_down{false};
    bool cancel_requested = false;  // under the kernel's lock
    Status status = kPending;
    uint64_t information = 0;
    uint64_t completed_at_us = 0;
    // Runs once when the request completes (the requester's callback of a power request).
    std::function<void(Status)> on_complete;

    bool done() const { return completions.load() > 0; }
};

class SimKernel final : public KernelServices {
public:
    explicit SimKernel(bool threaded = false) : threaded_(threaded) {}
    ~SimKernel();

    void Attach(BridgeExtension* ext) { ext_ = ext; }
    SimBridge& bridge() { return bridge_; }
    std::mutex& bridge_mutex() { return mutex_; }

    // Virtual clock: one step runs the bus and the timers due for 100 us.
    uint64_t now_us() const { return now_us_.load(); }
    void Advance(uint32_t ms);
    void StepClock();
    // Peer bytes arrive in the chip at the line speed while the clock runs.
    void StreamFromPeer(std::vector<uint8_t> bytes, uint32_t baud);

    std::vector<uint8_t> lower_capabilities;  // what the bus fills in (64 bytes) if not empty

    std::map<std::u16string, uint32_t> parameters;
    std::map<std::u16string, std::u16string> device_strings;
    std::map<std::u16string, std::u16string> dos_links, serialcomm;  // name -> link, link -> name
    bool interface_enabled = false;
    bool interface_name_present = true;
    const std::u16string interface_link = u"\\??\\USB#VID_1209&PID_0001#sim#{153557d9}";

    // Device power requests the driver asks for go to its own dispatch, as the power manager
    // sends them.
    std::vector<SimRequest*> device_power_requests;
    // The hub keeps idle requests until the test completes them; on_idle_submit runs as one
    // goes down, before the hub has it.
    std::function<void()> on_idle_submit;
    int idle_requests_sent = 0;
    std::atomic<int> live_idle_requests{0};
    bool idle_request_held();
    void CompleteIdle(Status status);
    void InvokeIdleCallback() { OnIdleCallback(*ext_); }
    SimRequest* Power(uint8_t minor, bool device, uint32_t state);
    bool device_deleted = false;

    std::function<bool(size_t)> fail_allocation;  // by size
    std::atomic<long> live_allocations{0};
    std::atomic<long> live_transfers{0};

    // Runs once, as the next wait for `id` begins (before it looks at the event): lets a test
    // put another request exactly between two steps of the one that waits.
    void OnNextWait(EventId id, std::function<void()> action) {
        next_wait_ = id;
        on_next_wait_ = std::move(action);
    }

    // Faults the simulated kernel found in how it was used.
    std::vector<std::string> faults;
    void Fault(std::string what);

    SimRequest* NewRequest(uint8_t major, uint8_t minor = 0);
    size_t pending_requests() const;

    QMUB_KERNEL_SERVICES(QMUB_KERNEL_OVERRIDE)

    // Threaded mode: a clock thread that steps virtual time until stopped.
    void StartClockThread();
    void StopClockThread();
    void JoinThreads();

private:
    struct Event {
        EventKind kind = EventKind::kNotification;
        bool signalled = false;
        bool initialised = false;
    };
    struct Timer {
        bool armed = false;
        uint64_t due_us = 0;
    };
    struct Stream {
        std::vector<uint8_t> bytes;
        size_t sent = 0;
        uint32_t baud = 0;
        uint64_t start_us = 0;
    };
    struct IdleHeld {
        void* request = nullptr;
        DevicePowerDone done = nullptr;
        void* context = nullptr;
    };

    void Finish(SimRequest* r, Status status);
    void Run(ThreadRoutine routine, void* context, bool deferred);
    void RunBus();
    void RunTimers();

    bool threaded_;
    BridgeExtension* ext_ = nullptr;
    mutable std::mutex mutex_;  // guards events, timers, bridge, requests
    std::condition_variable changed_;
    std::recursive_mutex step_mutex_;  // one clock step at a time
    Event events_[static_cast<int>(EventId::kCount)];
    Timer timers_[static_cast<int>(TimerId::kCount)];
    std::mutex locks_[static_cast<int>(LockId::kCount)];
    std::atomic<uint64_t> now_us_{0};
    SimBridge bridge_;
    Stream stream_;
    std::deque<std::unique_ptr<SimRequest>> requests_;
    IdleHeld idle_held_;
    // Work items queued at dispatch level run after the clock step, as on a worker thread.
    std::vector<std::pair<ThreadRoutine, void*>> deferred_work_;
    std::vector<std::thread> threads_;
    std::thread clock_thread_;
    std::atomic<bool> clock_running_{false};
    EventId next_wait_ = EventId::kCount;
    std::function<void()> on_next_wait_;
};

// Whether this thread runs a completion or timer routine.
bool AtDispatchLevel();

}  // namespace qmub::sim
