// A 16 KB program sent to and received from the simulated calculator on a line of 3491 bytes
// a second (38400 baud, 8 data bits, two stop bits), timed on the virtual clock. The counters
// give the virtual time of the operation (without the port's one-second settle), the time the
// bytes themselves need on the line, and the floor that the tick scheme allows with the
// settings: every step costs at least one tick, and a packet leaves at most OutBuffer bytes a
// tick.
#include <benchmark/benchmark.h>

#include "link/link_session.h"
#include "link/tracing_port.h"
#include "link/virtual_port.h"
#include "sim/sim_calculator.h"
#include "tests/unit/fault_file_system.h"

namespace travex {
namespace {

constexpr std::uint32_t kLineRate = 3491;
constexpr std::size_t kProgramBytes = 16 * 1024;

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

Bytes program_body() {
    Bytes body(kProgramBytes);
    for (std::size_t i = 0; i < body.size(); ++i) {
        body[i] = static_cast<std::uint8_t>(0x20 + i % 90);
    }
    return body;
}

Bytes program_file() {
    Bytes image(54, 0);
    image[0] = '6';
    image[1] = 'p';
    const link::ItemName name = program_name();
    std::copy(name.begin(), name.end(), image.begin() + 2);
    const Bytes body = program_body();
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

void report(benchmark::State& state, const VirtualPort& port, std::uint64_t virtual_ms,
            long min_ticks, const link::LinkSettings& settings, std::uint64_t transfer_ms) {
    const double wire = static_cast<double>(port.stats().bytes_written + port.stats().bytes_read);
    const double line_ms = wire * 1000.0 / kLineRate;
    state.counters["virtual_s"] = static_cast<double>(virtual_ms) / 1000.0;
    state.counters["floor_s"] =
        static_cast<double>(min_ticks) * settings.timer_interval_ms / 1000.0;
    state.counters["line_s"] = line_ms / 1000.0;
    state.counters["line_pct"] = 100.0 * line_ms / static_cast<double>(virtual_ms);
    // The file's own script against the time its data block needs on the line.
    const double block_ms = (kProgramBytes + 25.0) * 1000.0 / kLineRate;
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

// The third argument turns the wire trace on: the figures with and without it show what
// tracing costs a transfer.
void BM_LinkSendProgram16K(benchmark::State& state) {
    const link::LinkSettings settings = settings_of(state);
    const bool traced = state.range(2) != 0;
    for (auto _ : state) {
        VirtualClock clock;
        sim::SimCalculator calculator;
        VirtualPortTiming timing;
        timing.line_rate = kLineRate;
        VirtualPort port(clock, &calculator, timing);
        testing::FaultFileSystem fs;
        fs.files["big.g6p"] = program_file();
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
        const std::size_t data_packet = kProgramBytes + 12 + 8 + 4;
        const long min_ticks = floor_ticks({5}, 1, settings.out_buffer) +
                               3 * floor_ticks({5, 15, 5, 5, 5}, 4, settings.out_buffer) +
                               floor_ticks({5, 19, data_packet}, 3, settings.out_buffer) + 1;
        report(state, port, clock.now_ms() - timing.open_settle_ms, min_ticks, settings,
               session.transfer_ms());
    }
}

void BM_LinkReceiveProgram16K(benchmark::State& state) {
    const link::LinkSettings settings = settings_of(state);
    for (auto _ : state) {
        VirtualClock clock;
        sim::SimCalculator calculator;
        Bytes reply{0x00};
        const Bytes body = program_body();
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
        // Hello, three directory lists, the named item receive (the 16 KB block needs
        // ceil(bytes / 512) reads), goodbye.
        const long block_reads = static_cast<long>((kProgramBytes + 1 + 25 + 511) / 512);
        const long min_ticks = floor_ticks({5}, 1, settings.out_buffer) +
                               3 * floor_ticks({5, 15, 5, 5, 5}, 4, settings.out_buffer) +
                               floor_ticks({5, 15, 15, 5, 5, 5}, 5, settings.out_buffer) +
                               (block_reads - 1) + 1;
        report(state, port, clock.now_ms() - timing.open_settle_ms, min_ticks, settings,
               session.transfer_ms());
    }
}

// Defaults (TimerInterval 100, OutBuffer 30) and a fast profile (TimerInterval 10,
// OutBuffer 4096).
BENCHMARK(BM_LinkSendProgram16K)
    ->Args({100, 30, 0})
    ->Args({10, 4096, 0})
    ->Args({10, 4096, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkReceiveProgram16K)
    ->Args({100, 30})
    ->Args({10, 4096})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace travex
