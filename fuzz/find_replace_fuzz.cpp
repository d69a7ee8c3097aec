// Find and Replace on arbitrary text: every search result is a real match, none is skipped, and
// Replace All gives exactly what rebuilding the text at every match gives.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "editor/find_replace.h"
#include "fuzz_check.h"

namespace {

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matches_at(std::string_view text, std::string_view pattern, std::size_t at, bool match_case) {
    if (at + pattern.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char a = text[at + i];
        const char b = pattern[i];
        if (match_case ? a != b : fold(a) != fold(b)) {
            return false;
        }
    }
    return true;
}

// Replace All done the slow way: rebuild the text at each match, search on after the inserted
// text.
std::pair<std::string, std::size_t> reference_replace_all(std::string text,
                                                          std::string_view pattern,
                                                          std::string_view replacement,
                                                          std::size_t start, bool match_case) {
    std::size_t count = 0;
    for (std::size_t p = start; !pattern.empty() && p + pattern.size() <= text.size();) {
        if (!matches_at(text, pattern, p, match_case)) {
            ++p;
            continue;
        }
        text = text.substr(0, p) + std::string(replacement) + text.substr(p + pattern.size());
        ++count;
        p += replacement.size();
    }
    return {text, count};
}

// The next field of the input, up to a zero byte.
std::string_view take_field(std::string_view& input) {
    const std::size_t end = input.find('\0');
    const std::string_view field = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // Byte 0: match case (bit 0); byte 1: the start; then text, pattern and replacement,
    // separated by zero bytes.
    const bool match_case = (data[0] & 1) != 0;
    const std::size_t start = data[1];
    std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string_view text = take_field(input);
    const std::string_view pattern = take_field(input);
    const std::string_view replacement = take_field(input);

    const auto found = travex::search_text(text, pattern, start, true, match_case);
    if (found) {
        travex::fuzz::fail_if(*found < start || !matches_at(text, pattern, *found, match_case));
    }
    // Nothing between start and the result (or the end) matches.
    const std::size_t scanned_to = found ? *found : text.size();
    for (std::size_t p = start; p < scanned_to && text.size() <= 4096; ++p) {
        travex::fuzz::fail_if(matches_at(text, pattern, p, match_case));
    }
    const auto single = travex::search_text(text, pattern, start, false, match_case);
    travex::fuzz::fail_if(single !=
                          (matches_at(text, pattern, start, match_case) && start <= text.size()
                               ? std::optional<std::size_t>(start)
                               : std::nullopt));
    const auto next = travex::find_next(text, pattern, {start / 2, start}, match_case);
    travex::fuzz::fail_if(next &&
                          (next->start < start || next->end != next->start + pattern.size() ||
                           !matches_at(text, pattern, next->start, match_case)));

    const auto result = travex::replace_all(text, pattern, replacement, start, match_case);
    if (text.size() <= 512 && replacement.size() <= 16) {
        const auto [expected, count] =
            reference_replace_all(std::string(text), pattern, replacement, start, match_case);
        travex::fuzz::fail_if(result.text != expected || result.replacements != count);
    }
    return 0;
}
