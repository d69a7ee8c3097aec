// Program codec speed: tokenizing a program text of the largest size the editor holds, and
// detokenizing its tokens.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <span>
#include <string>

#include "codec/detokenizer.h"
#include "codec/text_limits.h"
#include "codec/token_tables.h"
#include "codec/tokenizer.h"

namespace {

// A program text of exactly kMaxConvertedText bytes: a typical program repeated, followed by the
// text of every token, one a line, so that every table is exercised.
std::string program_text() {
    const std::string typical =
        "Rem QUADRATIC EQUATION\r\nInput A\r\nInput B\r\nInput C\r\n"
        "B\xBB-4*A*C\xBE"
        "D\r\nIf D<0\r\nThen Print \"NO REAL ROOT\"\r\n"
        "Else (\x9A"
        "B+\xBF"
        "D)/(2*A)\xBEX\r\nPrint X\r\nEndIf\r\n"
        "For 1\xBEI To 10\r\nL1(I)*Xmin+sin (I)\xBEL2(I)\r\nNext\r\n"
        "mat A\xBEmat B\r\nZm_Default\r\nPlot1(\r\nint\xB6"
        "A\r\n";
    std::string all_tokens;
    for (const travex::TokenTable& table : travex::token_tables()) {
        for (std::string_view text : table.entries) {
            all_tokens.append(text);
            all_tokens.append("\r\n");
        }
    }
    std::string text = all_tokens;
    while (text.size() < travex::kMaxConvertedText) {
        text += typical;
    }
    text.resize(travex::kMaxConvertedText);
    return text;
}

void BM_TokenizeFullProgram(benchmark::State& state) {
    const std::string text = program_text();
    for (auto _ : state) {
        std::string tokens = travex::tokenize(text);
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TokenizeFullProgram)->Unit(benchmark::kMicrosecond);

void BM_DetokenizeFullProgram(benchmark::State& state) {
    const std::string tokens = travex::tokenize(program_text());
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(tokens.data()), tokens.size());
    for (auto _ : state) {
        auto text = travex::detokenize_checked(bytes);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tokens.size()));
}
BENCHMARK(BM_DetokenizeFullProgram)->Unit(benchmark::kMicrosecond);

}  // namespace
