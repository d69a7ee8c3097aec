// Find and Replace on arbitrary text: a search result is the first real match from the start,
// and Replace All gives exactly what rebuilding the text at every match gives.
#include <string>

#include "editor/find_replace.h"
#include "fuzz_check.h"

namespace {

bool matches_at(std::string_view text, std::string_view pattern, std::size_t at, bool match_case) {
    const auto fold = [&](char c) { return match_case ? c : (c >= 'A' && c <= 'Z' ? c + 32 : c); };
    if (at + pattern.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (fold(text[at + i]) != fold(pattern[i])) {
            return false;
        }
    }
    return true;
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
    std::string_view input = travex::fuzz::text_of(data + 2, size - 2);
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        field = input.substr(0, input.find('\0'));
        input.remove_prefix(std::min(field.size() + 1, input.size()));
    }
    const auto [text, pattern, replacement] = fields;

    const auto found = travex::search_text(text, pattern, start, true, match_case);
    const std::size_t scanned_to = found ? *found : text.size();
    travex::fuzz::fail_if(found &&
                          (*found < start || !matches_at(text, pattern, *found, match_case)));
    for (std::size_t p = start; p < scanned_to && text.size() <= 4096; ++p) {
        travex::fuzz::fail_if(matches_at(text, pattern, p, match_case));
    }
    if (text.size() > 512 || replacement.size() > 16) {
        return 0;
    }
    // Replace All the slow way: rebuild the text at each match, search on after the insert.
    std::string expected(text);
    std::size_t count = 0;
    for (std::size_t p = start; !pattern.empty() && p + pattern.size() <= expected.size();) {
        if (!matches_at(expected, pattern, p, match_case)) {
            ++p;
            continue;
        }
        expected.replace(p, pattern.size(), replacement);
        ++count;
        p += replacement.size();
    }
    const auto result = travex::replace_all(text, pattern, replacement, start, match_case);
    travex::fuzz::fail_if(result.text != expected || result.replacements != count);
    return 0;
}
