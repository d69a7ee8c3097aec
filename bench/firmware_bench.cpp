// A firmware update of the default layout with all 66 pages non-blank, against the simulated
// calculator on a virtual line that runs at the port's speed (11 bits a byte), timed on the
// virtual clock. The floor is what the protocol allows at best: every packet is followed by the
// fixed 500 ms pause, and its "OK" cannot come before the packet and the reply have crossed the
// line, so each packet costs at least the longer of the two. over_floor_pct is the update's
// time (without the port's one-second settle) above that floor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>

#include "repro/firmware_transfer.h"
#include "sim/firmware_image_maker.h"
#include "sim/sim_firmware.h"

namespace travex {
namespace {

using namespace travex::repro;

double byte_ms(std::uint32_t baud) {
    return 11000.0 / baud;
}

// One packet of n bytes at baud: the pause, or the packet and its 2-byte reply on the line.
double packet_floor_ms(std::size_t n, std::uint32_t baud) {
    return std::max<double>(kPauseAfterPacketMs, static_cast<double>(n + 2) * byte_ms(baud));
}

void run_update(benchmark::State& state, bool in_update_mode) {
    const std::uint32_t data_baud = static_cast<std::uint32_t>(state.range(0));
    ReproSettings settings;
    settings.data_baud_rate = std::to_string(data_baud);
    std::vector<int> every_page(66);
    std::iota(every_page.begin(), every_page.end(), 0);
    const CheckedImage image{sim::make_firmware_image({every_page, 11}), {'1', '0', '1'}};
    const auto pages = plan_pages(flash_layout(settings), image.bytes);
    if (pages.size() != 66) {
        state.SkipWithError("the image does not have 66 non-blank pages");
        return;
    }
    for (auto _ : state) {
        VirtualClock clock;
        sim::SimFirmware calculator;
        if (in_update_mode) {
            calculator.add_fault({sim::FirmwareFaultKind::update_mode});
        }
        VirtualPortTiming timing;
        timing.rate_follows_baud = true;
        VirtualPort port(clock, &calculator, timing);
        calculator.set_line_speed_source([&port] { return port.delivery_baud(); });
        FirmwareTransfer transfer(port, clock, settings, image, 1);
        const TransferReport report = transfer.run();
        if (report.result != TransferResult::finished) {
            state.SkipWithError("the update did not finish");
            return;
        }
        double floor_ms = packet_floor_ms(13, kHeaderBaud) + packet_floor_ms(8, data_baud);
        for (const PlannedPage& p : pages) {
            floor_ms += packet_floor_ms(p.length + kDataPacketOverhead, data_baud);
        }
        const double took_ms = static_cast<double>(clock.now_ms() - timing.open_settle_ms);
        state.counters["virtual_s"] = took_ms / 1000.0;
        state.counters["floor_s"] = floor_ms / 1000.0;
        state.counters["over_floor_pct"] = 100.0 * (took_ms - floor_ms) / floor_ms;
    }
}

// The calculator already waits in update mode: header at once, then the pages.
void BM_FirmwareUpdate66Pages(benchmark::State& state) {
    run_update(state, true);
}

// The whole way from the normal mode: four unanswered headers, version check, "s", pages. Its
// floor is still the pages' one, so the figure shows what the fallback costs.
void BM_FirmwareUpdate66PagesFromNormalMode(benchmark::State& state) {
    run_update(state, false);
}

BENCHMARK(BM_FirmwareUpdate66Pages)
    ->Arg(115200)
    ->Arg(57600)
    ->Arg(38400)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirmwareUpdate66PagesFromNormalMode)->Arg(115200)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace travex
