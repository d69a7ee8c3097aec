// Data-file exports at the sizes the editor meets: a list body of the full 61,440-byte read
// and the number formatter on its own.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/data_export.h"
#include "codec/number_format.h"

namespace {

// A list of n elements of -1.2345678901234E-5, as its body.
std::vector<std::uint8_t> long_list(std::uint16_t n) {
    std::vector<std::uint8_t> body = {
        0x10, 0x08, 0x00, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
        0x00, 0x00};
    const std::array<std::uint8_t, 9> element = {0x99, 0x51, 0x12, 0x34, 0x56,
                                                 0x78, 0x90, 0x12, 0x34};
    for (std::uint16_t i = 0; i < n; ++i) {
        body.insert(body.end(), element.begin(), element.end());
    }
    return body;
}

void BM_ExportFullList(benchmark::State& state) {
    const auto body = long_list(6825);  // 7 + 9 * 6825 bytes: the whole body read
    for (auto _ : state) {
        benchmark::DoNotOptimize(travex::export_data(travex::DataType::list, body));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ExportFullList);

void BM_FormatNumber(benchmark::State& state) {
    const std::array<std::uint8_t, 9> number = {0x99, 0x51, 0x12, 0x34, 0x56,
                                                0x78, 0x90, 0x12, 0x34};
    std::string out;
    for (auto _ : state) {
        out.clear();
        benchmark::DoNotOptimize(travex::format_number(number, out, 0));
    }
}
BENCHMARK(BM_FormatNumber);

}  // namespace
