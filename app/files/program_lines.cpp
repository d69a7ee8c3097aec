#include "files/program_lines.h"

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>

#include "codec/detokenizer.h"
#include "codec/token_tables.h"
#include "codec/tokenizer.h"

namespace travex {
namespace {

constexpr std::string_view kLineBreakText = "\r\n";

std::string text_of(std::string_view tokens) {
    return detokenize(
        std::span(reinterpret_cast<const std::uint8_t*>(tokens.data()), tokens.size()));
}

}  // namespace

ProgramLines ProgramLines::from_tokens(std::string_view body) {
    ProgramLines lines;
    std::size_t start = 0;
    std::size_t pos = 0;
    auto close_line = [&](std::size_t end) {
        const std::string_view tokens = body.substr(start, end - start);
        lines.lines_.push_back({text_of(tokens), std::string(tokens)});
    };
    // Walk token by token: an index byte 0xFD of a two-byte token is no line break.
    while (pos < body.size() && body[pos] != '\0') {
        const auto byte = static_cast<std::uint8_t>(body[pos]);
        if (byte == kLineBreakToken) {
            close_line(pos);
            start = ++pos;
        } else if (is_two_byte_prefix(byte)) {
            if (pos + 1 >= body.size() || body[pos + 1] == '\0') {
                break;  // a prefix without its index byte ends the program, as it reads
            }
            pos += 2;
        } else {
            ++pos;
        }
    }
    // The 0xFF after the last line break is the file's trailer, which the file writer adds
    // again: the last line holds nothing of its own.
    if (!lines.lines_.empty() && body.substr(start, pos - start) == "\xFF") {
        start = pos;
    }
    close_line(pos);
    return lines;
}

std::string ProgramLines::tokens_for(std::string_view text) const {
    if (lines_.empty()) {
        return tokenize(text);
    }
    // Where each line text occurs among the opened lines, in order.
    std::unordered_map<std::string_view, std::vector<std::size_t>> places;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        places[lines_[i].text].push_back(i);
    }
    std::vector<bool> used(lines_.size(), false);
    std::size_t after = 0;  // opened lines before this one are matched or passed over
    std::string tokens;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(kLineBreakText, start);
        const std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const std::vector<std::size_t>* candidates = nullptr;
        if (const auto it = places.find(line); it != places.end()) {
            candidates = &it->second;
        }
        std::optional<std::size_t> kept;
        if (candidates != nullptr) {
            // The first unused place after the last match; failing that (a moved line), the
            // first unused place at all.
            for (const std::size_t i : *candidates) {
                if (!used[i] && i >= after) {
                    kept = i;
                    break;
                }
            }
            for (std::size_t k = 0; !kept && k < candidates->size(); ++k) {
                if (!used[(*candidates)[k]]) {
                    kept = (*candidates)[k];
                }
            }
        }
        if (kept) {
            used[*kept] = true;
            after = *kept + 1;
            tokens += lines_[*kept].tokens;
        } else {
            tokens += tokenize(line);
        }
        if (end == std::string_view::npos) {
            break;
        }
        tokens.push_back(static_cast<char>(kLineBreakToken));
        start = end + kLineBreakText.size();
    }
    return tokens;
}

}  // namespace travex
