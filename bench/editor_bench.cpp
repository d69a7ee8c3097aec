// Editor speed: opening the largest program body the editor reads into its edit box, and
// Replace All with many matches in a text of the size the editor holds.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "codec/token_tables.h"
#include "editor/edit_text.h"
#include "editor/editor_document.h"
#include "editor/find_replace.h"
#include "files/text_file.h"
#include "tests/unit/fault_file_system.h"

namespace {

// A program file whose body is exactly the 61,440 bytes an open reads: every token once, each
// on its own line, then lines of two-byte tokens ("u" is 0x0C 0x43) so that the text still fits
// the converted-text limit, then the 0xFD 0xFF trailer.
std::string largest_program_file() {
    std::string body;
    for (const travex::TokenTable& table : travex::token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            if (table.entries[i].empty()) {
                continue;
            }
            const std::uint16_t code = table.code_of(i);
            body.push_back(static_cast<char>(code & 0xFF));
            if (!table.one_byte()) {
                body.push_back(static_cast<char>(code >> 8));
            }
            body.push_back('\xFD');
        }
    }
    const std::string line =
        "\x0C\x43\x0C\x43\x0C\x43"
        "A\xFD";
    while (body.size() + line.size() + 2 <= travex::kMaxBodyRead) {
        body += line;
    }
    body.append(travex::kMaxBodyRead - 2 - body.size(), 'A');
    body += "\xFD\xFF";
    std::string header = "6pBENCH";
    header.resize(54, '\0');
    return header + body;
}

void BM_OpenLargestProgramIntoEditBox(benchmark::State& state) {
    travex::testing::FaultFileSystem fs;
    fs.put("bench.g6p", travex::to_bytes(largest_program_file()));
    for (auto _ : state) {
        const travex::EditorLoad load = travex::load_editor_file(fs, "bench.g6p");
        if (load.message != travex::MessageId::none) {
            state.SkipWithError("the program did not open");
            break;
        }
        std::u16string edit = travex::to_edit_text(load.content.text);
        state.counters["text_chars"] = static_cast<double>(edit.size());
        benchmark::DoNotOptimize(edit);
    }
}
BENCHMARK(BM_OpenLargestProgramIntoEditBox)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllTenThousandMatches(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        text += "abcdeX";
    }
    for (auto _ : state) {
        const travex::ReplaceAllResult result = travex::replace_all(text, "DEx", "D-E-X", 0, false);
        if (result.replacements != 10000) {
            state.SkipWithError("wrong number of replacements");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceAllTenThousandMatches)->Unit(benchmark::kMillisecond);

}  // namespace
