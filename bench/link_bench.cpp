// Whole operations, hello to goodbye, with the simulated calculator on a line of 3491 bytes a
// second (38400 baud, 8 data bits, two stop bits), timed on the virtual clock: a program of 16 KB
// and one of 60,000 bytes sent and received, at the defaults (TimerInterval 100, OutBuffer 30)
// and at the fast profile (10, 4096).
//
// The counters: virtual_s is the operation without the port's one-second settle; line_s the
// time every byte of it needs on the line (both directions); line_pct how much of the operation
// the line was busy. floor_s is the least time the settings' pacing allows for the same
// packets: every receive step waits at least one tick, a sent packet leaves at most OutBuffer
// bytes a tick, and a received block cannot come faster than the line carries it. floor_pct
// is floor_s against virtual_s (100 is the floor itself). file_s and file_line_pct give the
// file's own script against the time its data block needs on the line.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "link/link_session.h"
#include "link/tracing_port.h"
#include "link/virtual_port.h"
#include "sim/sim_calculator.h"
#include "tests/unit/fault_file_system.h"

namespace travex {
namespace {

constexpr std::uint32_t kLineRate = 3491;

class AnswerSkip final : public FileQuestions {
public:
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::skip; }
    OverwriteAnswer ask_overwrite(std::string_view) override {
        return OverwriteAnswer::overwrite_all;
    }
    void report(MessageId) override {}
};

link::ItemName program_name() {
    link::ItemName name;
    name.fill(0xFF);
    const std::string_view text = "BIGPROG";
    std::copy(text.begin(), text.end(), name.begin());
    return name;
}

Bytes program_body(std::size_t bytes) {
    Bytes body(bytes);
    for (std::size_t i = 0; i < body.size(); ++i) {
        body[i] = static_cast<std::uint8_t>(0x20 + i % 90);
    }
    return body;
}

Bytes program_file(std::size_t bytes) {
    Bytes image(54, 0);
    image[0] = '6';
    image[1] = 'p';
    const link::ItemName name = program_name();
    std::copy(name.begin(), name.end(), image.begin() + 2);
    const Bytes body = program_body(bytes);
    image.insert(image.end(), body.begin(), body.end());
    return image;
}

// Lower bound of ticks for one script: one per receive step, and per sent packet of n bytes
// floor(n / OutBuffer) pieces beyond the one that goes out with the step itself.
long floor_ticks(const std::vector<std::size_t>& sent_packets, int receive_steps, int out_buffer) {
    long ticks = receive_steps;
    for (const std::size_t n : sent_packets) {
        ticks += static_cast<long>(n / static_cast<std::size_t>(out_buffer));
    }
    return ticks;
}

double line_ms_of(std::size_t bytes) {
    return static_cast<double>(bytes) * 1000.0 / kLineRate;
}

void report(benchmark::State& state, const VirtualPort& port, std::uint64_t virtual_ms,
            double floor_ms, std::size_t program_bytes, std::uint64_t transfer_ms) {
    const double line_ms = line_ms_of(port.stats().bytes_written + port.stats().bytes_read);
    const auto virtual_time = static_cast<double>(virtual_ms);
    state.counters["virtual_s"] = virtual_time / 1000.0;
    state.counters["floor_s"] = floor_ms / 1000.0;
    state.counters["floor_pct"] = 100.0 * virtual_time / floor_ms;
    state.counters["line_s"] = line_ms / 1000.0;
    state.counters["line_pct"] = 100.0 * line_ms / virtual_time;
    const double block_ms = line_ms_of(program_bytes + 25);
    state.counters["file_s"] = static_cast<double>(transfer_ms) / 1000.0;
    state.counters["file_line_pct"] = 100.0 * block_ms / static_cast<double>(transfer_ms);
}

link::LinkSettings settings_of(const benchmark::State& state) {
    link::LinkSettings settings;
    settings.timer_interval_ms = static_cast<int>(state.range(0));
    settings.out_buffer = static_cast<int>(state.range(1));
    return settings;
}

// Keeps the trace in memory: the cost of tracing is the formatting, not the disk.
class MemoryTrace final : public link::TraceSink {
public:
    void write_line(std::string_view line) override {
        text.append(line);
        text += '\n';
    }
    std::string text;
};

// Arguments: TimerInterval, OutBuffer, program bytes, and for the send the wire trace on (1) or
// off: the figures with and without it show what tracing costs a transfer.
// The wire trace on: the figures with and without it show what
// tracing costs a transfer.
void BM_LinkSendProgram(benchmark::State& state) {
    const link::LinkSettings settings = settings_of(state);
    const auto program_bytes = static_cast<std::size_t>(state.range(2));
    const bool traced = state.range(3) != 0;
    for (auto _ : state) {
        VirtualClock clock;
        sim::SimCalculator calculator;
        VirtualPortTiming timing;
        timing.line_rate = kLineRate;
        VirtualPort port(clock, &calculator, timing);
        testing::FaultFileSystem fs;
        fs.files["big.g6p"] = program_file(program_bytes);
        AnswerSkip ui;
        link::CountingProgress progress;
        MemoryTrace trace;
        link::TracingPort tracing(port, clock, trace);
        SerialPort& used = traced ? static_cast<SerialPort&>(tracing) : port;
        link::LinkSession session(used, clock, settings, fs, ui, progress);
        tracing.set_step_source([&session] { return link::engine_step_name(session.engine()); });
        const link::LinkOutcome outcome = session.send({"big.g6p"});
        if (!outcome.ok) {
            state.SkipWithError("the transfer failed");
            return;
        }
        // Hello, three directory lists, the named-file send, goodbye.
        // The data block cannot leave faster than the line carries it either.
        const std::size_t data_packet = program_bytes + 12 + 8 + 4;
        const long ticks = floor_ticks({5}, 1, settings.out_buffer) +
                           3 * floor_ticks({5, 15, 5, 5, 5}, 4, settings.out_buffer) +
                           floor_ticks({5, 19}, 3, settings.out_buffer) + 1;
        const double data_ms =
            std::max(static_cast<double>(floor_ticks({data_packet}, 0, settings.out_buffer)) *
                         settings.timer_interval_ms,
                     line_ms_of(data_packet));
        report(state, port, clock.now_ms() - timing.open_settle_ms,
               static_cast<double>(ticks * settings.timer_interval_ms) + data_ms, program_bytes,
               session.transfer_ms());
    }
}

void BM_LinkReceiveProgram(benchmark::State& state) {
    const link::LinkSettings settings = settings_of(state);
    const auto program_bytes = static_cast<std::size_t>(state.range(2));
    for (auto _ : state) {
        VirtualClock clock;
        sim::SimCalculator calculator;
        Bytes reply{0x00};
        const Bytes body = program_body(program_bytes);
        reply.insert(reply.end(), body.begin(), body.end());
        calculator.memory().put_named(link::make_name("PROGRAM"), program_name(), reply);
        VirtualPortTiming timing;
        timing.line_rate = kLineRate;
        VirtualPort port(clock, &calculator, timing);
        testing::FaultFileSystem fs;
        AnswerSkip ui;
        link::CountingProgress progress;
        link::LinkSession session(port, clock, settings, fs, ui, progress);
        const link::LinkOutcome outcome = session.receive(
            [](const std::vector<link::ReceiveItem>& all) {
                std::vector<link::ReceiveItem> chosen;
                for (const auto& item : all) {
                    if (item.line_text == "bigprog.g6p") {
                        chosen.push_back(item);
                    }
                }
                return chosen;
            },
            "");
        if (!outcome.ok || fs.files.count("bigprog.g6p") == 0) {
            state.SkipWithError("receive failed");
            return;
        }
        // Hello, three directory lists, the named item receive, goodbye. The item's block needs
        // ceil(bytes / 512) reads, a tick each, and its time on the line, whichever is longer.
        const std::size_t block_bytes = program_bytes + 1 + 25;
        const auto block_reads = static_cast<long>((block_bytes + 511) / 512);
        const long ticks = floor_ticks({5}, 1, settings.out_buffer) +
                           3 * floor_ticks({5, 15, 5, 5, 5}, 4, settings.out_buffer) +
                           floor_ticks({5, 15, 15, 5, 5, 5}, 4, settings.out_buffer) + 1;
        const double block_ms = std::max(
            static_cast<double>(block_reads * settings.timer_interval_ms), line_ms_of(block_bytes));
        report(state, port, clock.now_ms() - timing.open_settle_ms,
               static_cast<double>(ticks * settings.timer_interval_ms) + block_ms, program_bytes,
               session.transfer_ms());
    }
}

constexpr long k16K = 16 * 1024;
constexpr long k60K = 60'000;

BENCHMARK(BM_LinkSendProgram)
    ->Args({100, 30, k16K, 0})
    ->Args({100, 30, k60K, 0})
    ->Args({10, 4096, k16K, 0})
    ->Args({10, 4096, k16K, 1})
    ->Args({10, 4096, k60K, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkReceiveProgram)
    ->Args({100, 30, k16K})
    ->Args({100, 30, k60K})
    ->Args({10, 4096, k16K})
    ->Args({10, 4096, k60K})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace travex
