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

// Counts the faults the simulated kernel found in how the core used it.
void CheckNoFaults(const DriverHarness& h) {
    for (const std::string& fault : h.kernel.faults) {
        std::fprintf(stderr, "fault: %s\n", fault.c_str());
        ++failures;
    }
}

bool WaitDone(SimRequest* r, int seconds = 60) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!r->done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
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
    CHECK(h.AddAndStart() == kSuccess);
    h.kernel.StartClockThread();
    SimRequest* open = h.Open();
    CHECK(open->done() && open->status == kSuccess);
    CHECK(h.Control(serial::kSetTimeouts, DriverHarness::Timeouts(0, 0, 24))->status == kSuccess);

    const std::vector<uint8_t> incoming = Pattern(200000, seed);
    const std::vector<uint8_t> outgoing = Pattern(100000, seed + 1);
    h.kernel.StreamFromPeer(incoming, 921600);

    std::atomic<bool> stop{false};
    std::vector<uint8_t> received;
    std::atomic<size_t> received_count{0};
    std::vector<SimRequest*> requests;
    std::mutex requests_mutex;
    auto keep = [&](SimRequest* r) {
        std::lock_guard<std::mutex> lock(requests_mutex);
        requests.push_back(r);
    };

    std::thread reader([&] {
        std::mt19937 random(seed + 2);
        while (!stop && received.size() < incoming.size()) {
            SimRequest* r = h.Read(1 + random() % 700);
            keep(r);
            if (!WaitDone(r)) {
                CHECK(!"read never completed");
                return;
            }
            received.insert(received.end(), r->buffer.begin(),
                            r->buffer.begin() + static_cast<long>(r->information));
            received_count = received.size();
        }
    });
    std::thread writer([&] {
        std::mt19937 random(seed + 3);
        size_t at = 0;
        while (!stop && at < outgoing.size()) {
            size_t n = std::min<size_t>(1 + random() % 900, outgoing.size() - at);
            SimRequest* w =
                h.Write(std::vector<uint8_t>(outgoing.begin() + static_cast<long>(at),
                                             outgoing.begin() + static_cast<long>(at + n)));
            keep(w);
            if (!WaitDone(w)) {
                CHECK(!"write never completed");
                return;
            }
            if (w->status != kSuccess)
                return;  // the device went away
            CHECK(w->information == n);
            at += n;
        }
    });
    std::thread waiter([&] {
        while (!stop) {
            keep(h.Control(serial::kSetWaitMask, DriverHarness::Word(serial::kEvRxChar)));
            SimRequest* w = h.Control(serial::kWaitOnMask, {}, 4);
            keep(w);
            if (!WaitDone(w)) {
                CHECK(!"wait never completed");
                return;
            }
        }
    });
    std::thread poller([&] {
        while (!stop) {
            SimRequest* s = h.Control(serial::kGetCommStatus, {}, 20);
            keep(s);
            CHECK(s->done());
            if (s->status == kSuccess && s->information == 20) {
                CHECK(DriverHarness::WordAt(s, 8) < kRingSize);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    if (surprise_removal) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        h.Pnp(irp::kSurpriseRemoval);
        CHECK(h.kernel.dos_links.empty());
        CHECK(h.kernel.serialcomm.empty());
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!surprise_removal && received_count < incoming.size() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Let the reader finish its last read before looking at what it has.
    if (!surprise_removal)
        reader.join();
    stop = true;
    if (surprise_removal)
        reader.join();
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
    h.Pnp(irp::kRemoveDevice);
    CHECK(h.kernel.device_deleted);
    CHECK(h.ext.io_count.Load() == 0);
    for (SimRequest* r : requests)
        CHECK(r->completions.load() == 1);
    CHECK(h.kernel.live_transfers == 0);
    CHECK(h.kernel.live_allocations == 0);
    CheckNoFaults(h);
}

// Removal waits until an operation still running has finished.
void RemovalWaitsForTheOperationCount() {
    DriverHarness h(true);
    CHECK(h.AddAndStart() == kSuccess);
    h.kernel.StartClockThread();
    SimRequest* open = h.Open();
    {
        std::lock_guard<std::mutex> lock(h.kernel.bridge_mutex());
        h.kernel.bridge().hold_out = true;
    }
    SimRequest* write = h.Write(std::string(100, 'w'));
    std::atomic<bool> query_done{false};
    std::thread query([&] {
        h.Pnp(irp::kQueryRemoveDevice);
        query_done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    CHECK(!query_done);  // the write still holds a count
    CHECK(!write->done());
    {
        std::lock_guard<std::mutex> lock(h.kernel.bridge_mutex());
        h.kernel.bridge().hold_out = false;
    }
    query.join();
    CHECK(write->done() && write->status == kSuccess);
    h.CloseHandle(open);
    h.Pnp(irp::kRemoveDevice);
    CHECK(h.kernel.device_deleted);
    CheckNoFaults(h);
}

// Reads racing each other and the cleanup: each completes once, nothing hangs.
void ReadsRaceCleanup(uint32_t seed) {
    DriverHarness h(true);
    CHECK(h.AddAndStart() == kSuccess);
    h.kernel.StartClockThread();
    for (int round = 0; round < 30; ++round) {
        SimRequest* open = h.Open();
        CHECK(open->status == kSuccess);
        h.kernel.StreamFromPeer(Pattern(2000, seed + round), 921600);
        std::vector<std::thread> readers;
        std::vector<SimRequest*> reads[3];
        for (int t = 0; t < 3; ++t) {
            readers.emplace_back([&, t] {
                for (int i = 0; i < 20; ++i) {
                    SimRequest* r = h.Read(50);
                    reads[t].push_back(r);
                    if (!WaitDone(r))
                        CHECK(!"read never completed");
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + round));
        h.CloseHandle(open);
        for (std::thread& t : readers)
            t.join();
        for (auto& list : reads) {
            for (SimRequest* r : list)
                CHECK(r->completions.load() == 1);
        }
    }
    h.Pnp(irp::kRemoveDevice);
    CHECK(h.kernel.device_deleted);
    CheckNoFaults(h);
}

SimRequest* SetPower(DriverHarness& h, bool device, uint32_t state) {
    SimRequest* r = h.kernel.Power(irp::kSetPower, device, state);
    DispatchPower(h.ext, r->view);
    if (!WaitDone(r))
        CHECK(!"power request never completed");
    return r;
}

// System sleep and wake cycles while writes and reads run on the open port, with remote wakeup
// armed; then the device is put to sleep and removed while asleep. Every request completes
// exactly once, the wait-wake is cancelled once, nothing hangs.
void PowerTransitionsUnderLoad(uint32_t seed, bool surprise) {
    DriverHarness h(true);
    h.kernel.bridge().config_descriptor[7] |= 0x20;  // remote wakeup
    CHECK(h.AddAndStart() == kSuccess);
    h.kernel.StartClockThread();
    CHECK(h.kernel.wait_wake_requests.size() == 1);
    std::vector<SimRequest*> all;
    SimRequest* open = h.Open();
    CHECK(open->status == kSuccess);
    for (int round = 0; round < 6; ++round) {
        h.kernel.StreamFromPeer(Pattern(500, seed + round), 921600);
        std::atomic<bool> stop{false};
        std::vector<SimRequest*> io[2];
        std::thread writer([&] {
            for (int i = 0; i < 15 && !stop; ++i) {
                SimRequest* w = h.Write(Pattern(100, seed * 7 + i));
                io[0].push_back(w);
                if (!WaitDone(w))
                    CHECK(!"write never completed");
            }
        });
        std::thread reader([&] {
            for (int i = 0; i < 15 && !stop; ++i) {
                SimRequest* r = h.Read(40);
                io[1].push_back(r);
                if (!WaitDone(r))
                    CHECK(!"read never completed");
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1 + round));
        SimRequest* sleep = SetPower(h, false, 4);  // S3
        CHECK(sleep->status == kSuccess);
        CHECK(h.ext.pump_active.Load() == 0);
        SimRequest* wake = SetPower(h, false, kPowerWorking);
        CHECK(wake->status == kSuccess);
        CHECK(h.ext.device_power_state == kPowerD0);
        stop = true;
        writer.join();
        reader.join();
        for (auto& list : io) {
            for (SimRequest* r : list)
                CHECK(r->completions.load() == 1);
        }
        all.push_back(sleep);
        all.push_back(wake);
        // The program opens the port again: the pump runs again.
        SimRequest* again = h.Open();
        CHECK(again->status == kSuccess);
        CHECK(h.ext.pump_active.Load() == 1);
    }
    // Removal while the device sleeps, with the wait-wake armed.
    SimRequest* down = SetPower(h, true, kPowerD3);
    CHECK(down->status == kSuccess);
    CHECK(h.ext.device_power_state == kPowerD3);
    SimRequest* armed = h.kernel.wait_wake_requests.back();
    if (surprise)
        h.Pnp(irp::kSurpriseRemoval);
    DispatchCleanup(h.ext, h.kernel.NewRequest(irp::kCleanup)->view);
    h.Pnp(irp::kRemoveDevice);
    CHECK(h.kernel.device_deleted);
    CHECK(armed->completions.load() == 1 && armed->status == kCancelled);
    for (SimRequest* r : h.kernel.device_power_requests)
        CHECK(r->completions.load() == 1);
    for (SimRequest* r : all)
        CHECK(r->completions.load() == 1);
    CheckNoFaults(h);
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
        SimRequest* w = h.Write(Pattern(64, seed + round));
        if (!WaitDone(w))
            CHECK(!"write never completed");
        h.CloseHandle(open);
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!h.kernel.idle_request_held() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    CHECK(h.kernel.idle_request_held());
    h.kernel.InvokeIdleCallback();
    CHECK(h.ext.device_power_state == kPowerD2);
    if (surprise)
        h.Pnp(irp::kSurpriseRemoval);
    h.Pnp(irp::kRemoveDevice);
    CHECK(h.kernel.device_deleted);
    CHECK(h.kernel.live_idle_requests == 0);
    CheckNoFaults(h);
}

}  // namespace
}  // namespace qmub::sim

int main() {
    using namespace qmub::sim;
    for (uint32_t seed = 1; seed <= 2; ++seed)
        LoadedPort(seed, false);
    for (uint32_t seed = 11; seed <= 12; ++seed)
        LoadedPort(seed, true);
    RemovalWaitsForTheOperationCount();
    ReadsRaceCleanup(21);
    PowerTransitionsUnderLoad(31, false);
    PowerTransitionsUnderLoad(32, true);
    SelectiveSuspendRaces(41, false);
    SelectiveSuspendRaces(42, true);
    std::printf("%s (%d failures)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
