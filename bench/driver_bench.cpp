// The driver's receive path in the simulated kernel: 921,600 baud (the fastest rate of the
// bridge) for 10 seconds of virtual time, with reads pending the whole time or paused for a
// while. Every run checks that each byte arrives exactly once and in order.
#include <benchmark/benchmark.h>

#include <random>

#include "driver_harness.h"

namespace qmub::sim {
namespace {

constexpr uint32_t kBaud = 921600;
constexpr uint32_t kSeconds = 10;

struct ReceiveRun {
    uint64_t sent = 0;
    uint64_t received = 0;
    bool intact = false;
    uint64_t would_drop = 0;
};

// Streams kSeconds of bytes at kBaud and reads them with the application's time-outs, one read
// of 4096 bytes pending at a time, except during [pause_from_ms, pause_to_ms).
ReceiveRun Receive(uint32_t pause_from_ms, uint32_t pause_to_ms) {
    DriverHarness h;
    h.AddAndStart();
    SimRequest* open = h.Open();
    h.Control(serial::kSetTimeouts, DriverHarness::Timeouts(3, 0, 300));
    h.Control(serial::kSetBaudRate, DriverHarness::Word(kBaud));
    std::vector<uint8_t> stream(uint64_t{kBaud} / 10 * kSeconds);
    std::mt19937 random(7);
    for (uint8_t& b : stream)
        b = static_cast<uint8_t>(random());
    h.kernel.StreamFromPeer(stream, kBaud);

    std::vector<uint8_t> got;
    got.reserve(stream.size());
    SimRequest* read = nullptr;
    const uint64_t end_us = uint64_t{kSeconds + 1} * 1'000'000;
    while (h.kernel.now_us() < end_us && got.size() < stream.size()) {
        uint64_t ms = h.kernel.now_us() / 1000;
        bool paused = ms >= pause_from_ms && ms < pause_to_ms;
        if (read != nullptr && read->done()) {
            got.insert(got.end(), read->buffer.begin(),
                       read->buffer.begin() + static_cast<long>(read->information));
            read = nullptr;
        }
        if (read == nullptr && !paused)
            read = h.Read(4096);
        h.kernel.StepClock();
    }
    ReceiveRun run;
    run.sent = stream.size();
    run.received = got.size();
    run.intact = got == stream && h.kernel.faults.empty();
    run.would_drop = h.kernel.bridge().would_drop;
    h.CloseHandle(open);
    return run;
}

void Report(benchmark::State& state, const ReceiveRun& run) {
    if (!run.intact)
        state.SkipWithError("bytes lost, duplicated or reordered");
    state.counters["bytes"] = static_cast<double>(run.received);
    state.counters["lost"] = static_cast<double>(run.sent - run.received);
    state.counters["chip_would_drop"] = static_cast<double>(run.would_drop);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * run.received));
}

void BM_DriverReceive921600ReadsPending(benchmark::State& state) {
    ReceiveRun run;
    for (auto _ : state)
        run = Receive(0, 0);
    Report(state, run);
}
BENCHMARK(BM_DriverReceive921600ReadsPending)->Unit(benchmark::kMillisecond);

// A pause the ring absorbs (30 ms: 2,765 bytes), and one where the pump holds and the chip
// would have had to drop bytes (1 s); neither loses a byte in the driver.
void BM_DriverReceive921600PausedReader(benchmark::State& state) {
    ReceiveRun run;
    uint32_t pause_ms = static_cast<uint32_t>(state.range(0));
    for (auto _ : state)
        run = Receive(2000, 2000 + pause_ms);
    Report(state, run);
}
BENCHMARK(BM_DriverReceive921600PausedReader)->Arg(30)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qmub::sim
