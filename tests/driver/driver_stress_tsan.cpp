// Concurrency stress of the driver core on real threads, built with ThreadSanitizer: the pump,
// reads, writes, event waits, status polls, the cancellation of the receive transfer by close and
// by removal run at once. Checks: no data race (ThreadSanitizer), no byte lost or duplicated in
// either direction, every request completed exactly once, removal waits for the operation
// count; power transitions under load, selective suspend, and removal while the device sleeps.
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "driver_harness.h"

namespace qmub::sim {
namespace {

int failures = 0;

#define CHECK(condition)                                                         \
    do {                                                                         \
        if (!(condition)) {                                                      \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                          \
        }                                                                        \
    } while (0)

// Waits (real time) until the request is done; a request that never is counts as a failure.
bool WaitDone(SimRequest* r, int seconds = 60) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!r->done()) {
        if (std::chrono::steady_clock::now() > end) {
            std::fprintf(stderr, "request %d never completed\n", r->view.major);
            ++failures;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

void CheckOnce(const std::vector<SimRequest*>& requests) {
    for (SimRequest* r : requests)
        CHECK(r->completions.load() == 1);
}

// A started device on real threads with the clock running.
void Start(DriverHarness& h) {
    CHECK(h.AddAndStart() == kSuccess);
    h.kernel.StartClockThread();
}

// Removes the device, then counts what is left over and the faults the simulated kernel found
// in how the core used it.
void RemoveAndCheck(DriverHarness& h, bool surprise = false) {
    if (surprise)
        h.Pnp(irp::kSurpriseRemoval);
    h.Pnp(irp::kRemoveDevice);
    CHECK(h.kernel.device_deleted);
    CHECK(h.kernel.live_transfers == 0);
    CHECK(h.kernel.live_allocations == 0);
    for (const std::string& fault : h.kernel.faults) {
        std::fprintf(stderr, "fault: %s\n", fault.c_str());
        ++failures;
    }
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> bytes(n);
    std::mt19937 random(seed);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

// One open port under load: the peer streams at 921600 baud while a reader, a writer, a waiter
// and a status poller work; with `surprise_removal` the device goes away in the middle.
void LoadedPort(uint32_t seed, bool surprise_removal) {
    DriverHarness h(true);
    Start(h);
    SimRequest* open = h.Open();
    CHECK(open->done() && open->status == kSuccess);
    CHECK(h.Control(serial::kSetTimeouts, DriverHarness::Timeouts(0, 0, 24))->status == kSuccess);
    const std::vector<uint8_t> incoming = Pattern(200000, seed);
    const std::vector<uint8_t> outgoing = Pattern(100000, seed + 1);
    h.kernel.StreamFromPeer(incoming, 921600);

    std::atomic<bool> stop{false};
    std::vector<uint8_t> received;
    std::vector<SimRequest*> requests;
    std::mutex requests_mutex;
    auto keep = [&](SimRequest* r) {
        std::lock_guard<std::mutex> lock(requests_mutex);
        requests.push_back(r);
        return r;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    std::thread reader([&] {
        std::mt19937 random(seed + 2);
        while (!stop && received.size() < incoming.size() &&
               std::chrono::steady_clock::now() < deadline) {
            SimRequest* r = keep(h.Read(1 + random() % 700));
            if (!WaitDone(r))
                return;
            received.insert(received.end(), r->buffer.begin(),
                            r->buffer.begin() + static_cast<long>(r->information));
        }
    });
    std::thread writer([&] {
        std::mt19937 random(seed + 3);
        for (size_t at = 0, n = 0; !stop && at < outgoing.size(); at += n) {
            n = std::min<size_t>(1 + random() % 900, outgoing.size() - at);
            auto from = outgoing.begin() + static_cast<long>(at);
            SimRequest* w = keep(h.Write(std::vector<uint8_t>(from, from + static_cast<long>(n))));
            if (!WaitDone(w) || w->status != kSuccess)
                return;  // the device went away
            CHECK(w->information == n);
        }
    });
    std::thread waiter([&] {
        while (!stop) {
            keep(h.Control(serial::kSetWaitMask, DriverHarness::Word(serial::kEvRxChar)));
            if (!WaitDone(keep(h.Control(serial::kWaitOnMask, {}, 4))))
                return;
        }
    });
    std::thread poller([&] {
        while (!stop) {
            SimRequest* s = keep(h.Control(serial::kGetCommStatus, {}, 20));
            CHECK(s->done());
            if (s->status == kSuccess && s->information == 20)
                CHECK(DriverHarness::WordAt(s, 8) < kRingSize);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    if (surprise_removal) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        h.Pnp(irp::kSurpriseRemoval);
        CHECK(h.kernel.dos_links.empty() && h.kernel.serialcomm.empty());
        stop = true;
    }
    // Without a removal the reader ends once it has every byte.
    reader.join();
    stop = true;
    writer.join();
    // The held wait ends when the handle goes: cleanup, then close.
    h.CloseHandle(open);
    waiter.join();
    poller.join();
    if (!surprise_removal) {
        CHECK(received == incoming);
        std::lock_guard<std::mutex> lock(h.kernel.bridge_mutex());
        CHECK(h.kernel.bridge().to_peer == outgoing);
    } else {
        // Whatever arrived before the removal arrived once and in order.
        CHECK(received.size() <= incoming.size());
        CHECK(std::equal(received.begin(), received.end(), incoming.begin()));
    }
    RemoveAndCheck(h);
    CHECK(h.ext.io_count.Load() == 0);
    CheckOnce(requests);
}

// Removal waits until an operation still running has finished.
void RemovalWaitsForTheOperationCount() {
    DriverHarness h(true);
    Start(h);
    SimRequest* open = h.Open();
    auto hold_out = [&](bool hold) {
        std::lock_guard<std::mutex> lock(h.kernel.bridge_mutex());
        h.kernel.bridge().hold_out = hold;
    };
    hold_out(true);
    SimRequest* write = h.Write(std::string(100, 'w'));
    std::atomic<bool> query_done{false};
    std::thread query([&] {
        h.Pnp(irp::kQueryRemoveDevice);
        query_done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    CHECK(!query_done && !write->done());  // the write still holds a count
    hold_out(false);
    query.join();
    CHECK(write->done() && write->status == kSuccess);
    h.CloseHandle(open);
    RemoveAndCheck(h);
}

// Reads racing each other and the cleanup: each completes once, nothing hangs.
void ReadsRaceCleanup(uint32_t seed) {
    DriverHarness h(true);
    Start(h);
    for (int round = 0; round < 30; ++round) {
        SimRequest* open = h.Open();
        CHECK(open->status == kSuccess);
        h.kernel.StreamFromPeer(Pattern(2000, seed + round), 921600);
        std::vector<std::thread> readers;
        std::vector<SimRequest*> reads[3];
        for (auto& list : reads) {
            readers.emplace_back([&h, &list] {
                for (int i = 0; i < 20; ++i)
                    WaitDone(list.emplace_back(h.Read(50)));
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + round));
        h.CloseHandle(open);
        for (std::thread& t : readers)
            t.join();
        for (auto& list : reads)
            CheckOnce(list);
    }
    RemoveAndCheck(h);
}

SimRequest* SetPower(DriverHarness& h, bool device, uint32_t state) {
    SimRequest* r = h.kernel.Power(irp::kSetPower, device, state);
    DispatchPower(h.ext, r->view);
    WaitDone(r);
    return r;
}

// System sleep and wake cycles while writes and reads run on the open port, with remote wakeup
// armed; then the device is put to sleep and removed while asleep. Every request completes
// exactly once, the wait-wake is cancelled once, nothing hangs.
void PowerTransitionsUnderLoad(uint32_t seed, bool surprise) {
    DriverHarness h(true);
    h.kernel.bridge().config_descriptor[7] |= 0x20;  // remote wakeup
    Start(h);
    CHECK(h.kernel.wait_wake_requests.size() == 1);
    std::vector<SimRequest*> all;
    CHECK(h.Open()->status == kSuccess);
    for (int round = 0; round < 6; ++round) {
        h.kernel.StreamFromPeer(Pattern(500, seed + round), 921600);
        std::vector<SimRequest*> io[2];
        std::thread writer([&] {
            for (int i = 0; i < 15; ++i)
                WaitDone(io[0].emplace_back(h.Write(Pattern(100, seed * 7 + i))));
        });
        std::thread reader([&] {
            for (int i = 0; i < 15; ++i)
                WaitDone(io[1].emplace_back(h.Read(40)));
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1 + round));
        SimRequest* sleep = all.emplace_back(SetPower(h, false, 4));  // S3
        CHECK(sleep->status == kSuccess && h.ext.pump_active.Load() == 0);
        SimRequest* wake = all.emplace_back(SetPower(h, false, kPowerWorking));
        CHECK(wake->status == kSuccess && h.ext.device_power_state == kPowerD0);
        writer.join();
        reader.join();
        CheckOnce(io[0]);
        CheckOnce(io[1]);
        // The program opens the port again: the pump runs again.
        CHECK(h.Open()->status == kSuccess);
        CHECK(h.ext.pump_active.Load() == 1);
    }
    // Removal while the device sleeps, with the wait-wake armed.
    CHECK(SetPower(h, true, kPowerD3)->status == kSuccess);
    CHECK(h.ext.device_power_state == kPowerD3);
    SimRequest* armed = h.kernel.wait_wake_requests.back();
    if (surprise)
        h.Pnp(irp::kSurpriseRemoval);
    DispatchCleanup(h.ext, h.kernel.NewRequest(irp::kCleanup)->view);
    RemoveAndCheck(h);
    CHECK(armed->completions.load() == 1 && armed->status == kCancelled);
    CheckOnce(h.kernel.device_power_requests);
    CheckOnce(all);
}

// Selective suspend on real threads: opens and closes race the idle timer and its request,
// the hub calls back while the port is closed, and the device is removed while suspended.
void SelectiveSuspendRaces(uint32_t seed, bool surprise) {
    DriverHarness h(true);
    h.kernel.parameters = {{u"SSUsbEnable", 1}};
    CHECK(h.AddAndStart() == kSuccess);
    h.ext.power_down_level = kPowerD2;
    h.kernel.StartClockThread();
    std::mt19937 random(seed);
    for (int round = 0; round < 20; ++round) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        SimRequest* open = h.Open();
        CHECK(open->status == kSuccess);
        WaitDone(h.Write(Pattern(64, seed + round)));
        h.CloseHandle(open);
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!h.kernel.idle_request_held() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    CHECK(h.kernel.idle_request_held());
    h.kernel.InvokeIdleCallback();
    CHECK(h.ext.device_power_state == kPowerD2);
    RemoveAndCheck(h, surprise);
    CHECK(h.kernel.live_idle_requests == 0);
}

}  // namespace
}  // namespace qmub::sim

int main() {
    using namespace qmub::sim;
    for (uint32_t seed : {1u, 2u})
        LoadedPort(seed, false);
    for (uint32_t seed : {11u, 12u})
        LoadedPort(seed, true);
    RemovalWaitsForTheOperationCount();
    ReadsRaceCleanup(21);
    for (bool surprise : {false, true}) {
        PowerTransitionsUnderLoad(31 + surprise, surprise);
        SelectiveSuspendRaces(41 + surprise, surprise);
    }
    std::printf("%s (%d failures)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
