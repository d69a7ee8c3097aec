// Concurrency stress of the driver core on real threads, built with ThreadSanitizer: the pump,
// reads and writes run at once on one open port while the peer streams at 921600 baud; in the
// second run the device is unplugged in the middle. Checks: no data race, no byte lost or
// duplicated in either direction, every request completed once (the simulated kernel reports a
// second completion).
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
    std::thread reader([&] {
        std::mt19937 random(seed + 2);
        while (!stop && received.size() < incoming.size()) {
            SimRequest* r = h.Read(1 + random() % 700);
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
            SimRequest* w = h.Write(std::vector<uint8_t>(from, from + static_cast<long>(n)));
            if (!WaitDone(w) || w->status != kSuccess)
                return;  // the device went away
            CHECK(w->information == n);
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
    h.CloseHandle(open);
    // Whatever arrived before a removal arrived once and in order; without one, everything.
    auto intact = [&](const std::vector<uint8_t>& got, const std::vector<uint8_t>& all) {
        return (got.size() == all.size() || (surprise_removal && got.size() < all.size())) &&
               std::equal(got.begin(), got.end(), all.begin());
    };
    CHECK(intact(received, incoming));
    std::unique_lock<std::mutex> lock(h.kernel.bridge_mutex());
    CHECK(intact(h.kernel.bridge().to_peer, outgoing));
    lock.unlock();
    h.Pnp(irp::kRemoveDevice);
    CHECK(h.kernel.device_deleted && h.kernel.live_transfers == 0);
    CHECK(h.ext.io_count.Load() == 0);
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
