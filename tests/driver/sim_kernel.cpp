#include "sim_kernel.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace qmub {
// The simulated kernel's transfer object: the core only ever holds a pointer to it.
struct UsbTransfer {
    uint32_t magic = 0x7A7A7A7A;
};
}  // namespace qmub

namespace qmub::sim {

namespace {
thread_local int held_locks = 0;
thread_local bool in_dpc = false;
thread_local int running_timer = -1;  // the timer whose routine this thread runs

// Marks code that runs as a completion or timer routine would, at dispatch level.
class DpcScope {
public:
    DpcScope() : previous_(in_dpc) { in_dpc = true; }
    ~DpcScope() { in_dpc = previous_; }

private:
    bool previous_;
};

constexpr uint64_t kStepUs = 100;
constexpr uint64_t kHangLimitUs = 120'000'000;  // two minutes of virtual time
}  // namespace

SimKernel::~SimKernel() {
    StopClockThread();
    JoinThreads();
}

void SimKernel::Fault(std::string what) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults.push_back(std::move(what));
}

SimRequest* SimKernel::NewRequest(uint8_t major, uint8_t minor) {
    auto request = std::make_unique<SimRequest>();
    request->view.handle = request.get();
    request->view.major = major;
    request->view.minor = minor;
    SimRequest* raw = request.get();
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(std::move(request));
    return raw;
}

size_t SimKernel::pending_requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::count_if(requests_.begin(), requests_.end(),
                         [](const auto& r) { return r->pending && !r->done(); });
}

void SimKernel::Complete(void* request, Status status, uint64_t information) {
    auto* r = static_cast<SimRequest*>(request);
    if (r->passed_down && !r->done())
        Fault("request completed after it was passed down");
    r->information = information;
    Finish(r, status);
}

// The one way a request ends: its status, the time, its count of completions and the
// requester's callback.
void SimKernel::Finish(SimRequest* r, Status status) {
    if (r->done()) {
        Fault("request completed twice");
        return;
    }
    r->status = status;
    r->completed_at_us = now_us();
    r->completions.fetch_add(1);
    if (r->on_complete)
        r->on_complete(status);
    std::lock_guard<std::mutex> lock(mutex_);
    changed_.notify_all();
}

// Threaded: a real thread; deterministic: at once, or after the clock step when `deferred`.
void SimKernel::Run(ThreadRoutine routine, void* context, bool deferred) {
    if (!threaded_ && !deferred) {
        routine(context);
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (threaded_)
        threads_.emplace_back(routine, context);
    else
        deferred_work_.emplace_back(routine, context);
}

void SimKernel::MarkPending(void* request) {
    static_cast<SimRequest*>(request)->pending = true;
}

Status SimKernel::PassDown(void* request, bool succeed) {
    auto* r = static_cast<SimRequest*>(request);
    if (r->done())
        Fault("request passed down after it was completed");
    if (succeed)
        r->status = kSuccess;
    r->passed_down = true;
    return kSuccess;
}

Status SimKernel::PassDownAndWait(void* request) {
    auto* r = static_cast<SimRequest*>(request);
    if (!lower_capabilities.empty() && r->view.capabilities != nullptr) {
        // The bus fills in its part of the record; the flags the driver set stay.
        uint32_t flags = LoadLe32(r->view.capabilities + 4);
        std::memcpy(r->view.capabilities, lower_capabilities.data(), 64);
        StoreLe32(r->view.capabilities + 4, LoadLe32(r->view.capabilities + 4) | flags);
    }
    return kSuccess;
}

void SimKernel::InitEvent(EventId id, EventKind kind, bool signalled) {
    std::lock_guard<std::mutex> lock(mutex_);
    Event& e = events_[static_cast<int>(id)];
    e.kind = kind;
    e.signalled = signalled;
    e.initialised = true;
    changed_.notify_all();
}

void SimKernel::SetEvent(EventId id) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_[static_cast<int>(id)].signalled = true;
    changed_.notify_all();
}

void SimKernel::ClearEvent(EventId id) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_[static_cast<int>(id)].signalled = false;
}

void SimKernel::WaitEvent(EventId id) {
    if (on_next_wait_ && id == next_wait_) {
        std::function<void()> action = std::move(on_next_wait_);
        on_next_wait_ = nullptr;
        action();
    }
    if (in_dpc)
        Fault("wait at dispatch level");
    if (held_locks > 0)
        Fault("wait while holding a spin lock");
    std::unique_lock<std::mutex> lock(mutex_);
    Event& e = events_[static_cast<int>(id)];
    if (!e.initialised)
        faults.push_back("wait for an event never initialised");
    if (threaded_) {
        if (!changed_.wait_for(lock, std::chrono::seconds(60), [&] { return e.signalled; })) {
            faults.push_back("hang waiting for event " + std::to_string(static_cast<int>(id)));
            return;
        }
    } else {
        uint64_t start = now_us();
        while (!e.signalled) {
            if (now_us() - start > kHangLimitUs) {
                faults.push_back("hang waiting for event " + std::to_string(static_cast<int>(id)));
                return;
            }
            lock.unlock();
            StepClock();
            lock.lock();
        }
    }
    if (e.kind == EventKind::kSynchronization)
        e.signalled = false;
}

void SimKernel::Acquire(LockId id) {
    if (held_locks > 0)
        Fault("spin lock taken while another is held");
    locks_[static_cast<int>(id)].lock();
    ++held_locks;
}

void SimKernel::Release(LockId id) {
    --held_locks;
    locks_[static_cast<int>(id)].unlock();
}

void SimKernel::ArmTimer(TimerId id, uint32_t milliseconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    Timer& t = timers_[static_cast<int>(id)];
    t.armed = true;
    t.due_us = now_us() + uint64_t{milliseconds} * 1000;
}

void SimKernel::CancelTimer(TimerId id) {
    // Some kernels wait in a cancel until the timer's routine has returned.
    if (running_timer == static_cast<int>(id))
        Fault("a timer routine cancels its own timer");
    std::lock_guard<std::mutex> lock(mutex_);
    timers_[static_cast<int>(id)].armed = false;
}

bool SimKernel::StartThread(ThreadRoutine routine, void* context) {
    Run(routine, context, false);
    return true;
}

void* SimKernel::Allocate(size_t bytes) {
    if (bytes == 0)
        return nullptr;
    if (fail_allocation && fail_allocation(bytes))
        return nullptr;
    void* memory = std::malloc(bytes);
    std::memset(memory, 0xCD, bytes);  // pool memory is not zeroed
    ++live_allocations;
    return memory;
}

void SimKernel::Free(void* memory) {
    if (memory == nullptr) {
        Fault("free of nothing");
        return;
    }
    --live_allocations;
    std::free(memory);
}

Status SimKernel::GetDescriptor(uint8_t type, uint8_t* buffer, uint32_t length,
                                uint32_t* received) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto& d = type == 1 ? bridge_.device_descriptor : bridge_.config_descriptor;
    *received = std::min<uint32_t>(length, static_cast<uint32_t>(d.size()));
    std::copy_n(d.begin(), *received, buffer);
    return kSuccess;
}

Status SimKernel::SelectConfiguration(const uint8_t*, uint32_t, InterfaceInfo* selected) {
    // The chip's three endpoints: bulk in, bulk out, interrupt in.
    const PipeInfo pipes[] = {{64, 0x81, 0, 2, SimBridge::PipeHandle(0)},
                              {64, 0x02, 0, 2, SimBridge::PipeHandle(1)},
                              {8, 0x83, 1, 3, SimBridge::PipeHandle(2)}};
    selected->pipe_count = 3;
    std::copy(std::begin(pipes), std::end(pipes), selected->pipes);
    return kSuccess;
}

Status SimKernel::Unconfigure() {
    return kSuccess;
}

Status SimKernel::VendorRequest(uint8_t request, uint16_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    bridge_.vendor_calls.push_back({request, value});
    return bridge_.vendor_status;
}

Status SimKernel::AbortPipe(void* pipe) {
    std::vector<PendingBulk> taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        taken = bridge_.TakePipe(pipe);
    }
    DpcScope dpc;
    for (const PendingBulk& p : taken)
        p.done(p.context, kCancelled, 0);
    return kSuccess;
}

Status SimKernel::ResetPipe(void*) {
    return kSuccess;
}

void SimKernel::RecoverPort() {}

UsbTransfer* SimKernel::NewTransfer() {
    ++live_transfers;
    return new UsbTransfer();
}

void SimKernel::FreeTransfer(UsbTransfer* transfer) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        PendingBulk ignored;
        if (bridge_.Take(transfer, &ignored))
            faults.push_back("transfer freed while in flight");
    }
    if (transfer->magic != 0x7A7A7A7A)
        Fault("transfer freed twice");
    transfer->magic = 0;
    --live_transfers;
    delete transfer;
}

Status SimKernel::SubmitBulk(UsbTransfer* transfer, void*, bool in, uint8_t* buffer,
                             uint32_t length, TransferDone done, void* context) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (transfer->magic != 0x7A7A7A7A)
        faults.push_back("submission of a freed transfer");
    PendingBulk probe;
    if (bridge_.Take(transfer, &probe))
        faults.push_back("transfer submitted twice");
    bridge_.pending.push_back({transfer, in, buffer, length, done, context});
    return kPending;
}

void SimKernel::CancelTransfer(UsbTransfer* transfer) {
    PendingBulk taken;
    bool was_pending = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        was_pending = bridge_.Take(transfer, &taken);
    }
    if (!was_pending)
        return;  // between completion and resubmission: nothing to cancel
    DpcScope dpc;
    taken.done(taken.context, kCancelled, 0);
}

RegistryRead SimKernel::ReadParameter(const char16_t* name, uint32_t* value) {
    auto it = parameters.find(name);
    if (it == parameters.end())
        return RegistryRead::kAbsent;
    *value = it->second;
    return RegistryRead::kFound;
}

Status SimKernel::ReadDeviceString(const char16_t* name, char16_t* buffer, uint32_t capacity,
                                   uint32_t* chars) {
    auto it = device_strings.find(name);
    if (it == device_strings.end())
        return kObjectNameNotFound;
    uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(it->second.size()), capacity - 1);
    std::copy_n(it->second.data(), n, buffer);
    buffer[n] = 0;
    *chars = n;
    return kSuccess;
}

Status SimKernel::SetInterfaceState(bool enabled) {
    if (interface_name_present)
        interface_enabled = enabled;
    return kSuccess;
}

Status SimKernel::CreateDosLink(const char16_t* port_name) {
    dos_links[u"\\DosDevices\\" + std::u16string(port_name)] = interface_link;
    return kSuccess;
}

void SimKernel::DeleteDosLink(const char16_t* port_name) {
    dos_links.erase(u"\\DosDevices\\" + std::u16string(port_name));
}

Status SimKernel::WriteSerialComm(const char16_t* port_name) {
    if (!interface_name_present)
        return kInvalidDeviceState;
    serialcomm[interface_link] = port_name;
    return kSuccess;
}

void SimKernel::DeleteSerialComm() {
    serialcomm.erase(interface_link);
}

void SimKernel::FreeInterfaceName() {
    interface_name_present = false;
}

void SimKernel::ReportPowerD0() {
    ext_->device_power_state = kPowerD0;
}

void SimKernel::DeleteDevice() {
    device_deleted = true;
    if (live_transfers != 0)
        Fault("transfer objects left at deletion");
    if (live_allocations != 0)
        Fault("memory left at deletion");
}

void SimKernel::StreamFromPeer(std::vector<uint8_t> bytes, uint32_t baud) {
    std::lock_guard<std::mutex> lock(mutex_);
    stream_.bytes = std::move(bytes);
    stream_.sent = 0;
    stream_.baud = baud;
    stream_.start_us = now_us();
}

void SimKernel::RunBus() {
    std::vector<PendingBulk> done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Ten bits per byte on the line.
        uint64_t due = (now_us() - stream_.start_us) * stream_.baud / 10 / 1'000'000;
        due = std::min<uint64_t>(due, stream_.bytes.size());
        if (due > stream_.sent) {
            bridge_.FeedFromPeer(stream_.bytes.data() + stream_.sent, due - stream_.sent);
            stream_.sent = due;
        }
        done = bridge_.Step();
    }
    DpcScope dpc;
    for (const auto& c : done)
        c.done(c.context, kSuccess, c.length);
}

void SimKernel::RunTimers() {
    bool due[static_cast<int>(TimerId::kCount)] = {};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int i = 0; i < static_cast<int>(TimerId::kCount); ++i) {
            if (timers_[i].armed && timers_[i].due_us <= now_us()) {
                timers_[i].armed = false;
                due[i] = true;
            }
        }
    }
    DpcScope dpc;
    for (int i = 0; i < static_cast<int>(TimerId::kCount); ++i) {
        if (due[i] && ext_ != nullptr) {
            running_timer = i;
            OnTimer(*ext_, static_cast<TimerId>(i));
            running_timer = -1;
        }
    }
}

void SimKernel::StepClock() {
    std::lock_guard<std::recursive_mutex> step(step_mutex_);
    now_us_ += kStepUs;
    RunBus();
    RunTimers();
    std::vector<std::pair<ThreadRoutine, void*>> work;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        work.swap(deferred_work_);
    }
    for (auto& [routine, context] : work)
        routine(context);
}

bool AtDispatchLevel() {
    return in_dpc || running_timer >= 0;
}

void SimKernel::Advance(uint32_t ms) {
    uint64_t end = now_us() + uint64_t{ms} * 1000;
    while (now_us() < end)
        StepClock();
}

void SimKernel::StartClockThread() {
    if (clock_thread_.joinable())
        return;
    clock_running_ = true;
    clock_thread_ = std::thread([this] {
        while (clock_running_) {
            StepClock();
            std::this_thread::yield();
        }
    });
}

void SimKernel::StopClockThread() {
    clock_running_ = false;
    if (clock_thread_.joinable())
        clock_thread_.join();
}

void SimKernel::JoinThreads() {
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        threads.swap(threads_);
    }
    for (std::thread& t : threads)
        t.join();
}

}  // namespace qmub::sim
