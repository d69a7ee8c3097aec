// Concurrency stress of the driver core on real threads, built with ThreadSanitizer: the pump,
// reads, writes, event waits and status polls run at once on one open port while the peer
// streams at 921600 baud; in the second run the device is unplugged in the middle. Checks: no
// data race, no byte lost or duplicated in either direction, every request completed once.
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

// Waits (real time) until the request is done; one that never is counts as a failure.
bool WaitDone(SimRequest* r) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!r->done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    CHECK(r->done());
    return r->done();
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> bytes(n);
    std::mt19937 random(seed);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

void LoadedPort(uint32_t seed, bool surprise_removal) {
    DriverHarness h(true);
    CHECK(h.AddAndStart() == kSuccess);
    h.kernel.StartClockThread();
    SimRequest* open = h.Open();
    CHECK(open->status == kSuccess);
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
        return requests.emplace_back(r);
    };
    std::thread reader([&] {
        std::mt19937 random(seed + 2);
        while (!stop && received.size() < incoming.size()) {
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
            if (s->status == kSuccess && s->information == 20)
                CHECK(DriverHarness::WordAt(s, 8) < kRingSize);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    if (surprise_removal) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        h.Pnp(irp::kSurpriseRemoval);
        stop = true;
    }
    reader.join();  // without a removal it ends once it has every byte
    stop = true;
    writer.join();
    h.CloseHandle(open);  // ends the held wait
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
    CHECK(h.kernel.device_deleted && h.kernel.live_transfers == 0);
    CHECK(h.ext.io_count.Load() == 0);
    for (SimRequest* r : requests)
        CHECK(r->completions.load() == 1);
    for (const std::string& fault : h.kernel.faults) {
        std::fprintf(stderr, "fault: %s\n", fault.c_str());
        ++failures;
    }
}

}  // namespace
}  // namespace qmub::sim

int main() {
    qmub::sim::LoadedPort(1, false);
    qmub::sim::LoadedPort(11, true);
    std::printf("%s (%d failures)\n", qmub::sim::failures ? "FAILED" : "passed",
                qmub::sim::failures);
    return qmub::sim::failures ? 1 : 0;
}
