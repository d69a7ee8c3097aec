#include "editor/find_replace.h"

namespace travex {
namespace {

char fold_ascii_letter(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// One character against another. Only ASCII letters have a second case: calculator glyph bytes
// and punctuation match only themselves, whatever the system's locale would call equal.
bool same_character(char a, char b, bool match_case) {
    return a == b || (!match_case && fold_ascii_letter(a) == fold_ascii_letter(b));
}

bool matches_at(std::string_view text, std::string_view pattern, std::size_t at, bool match_case) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (!same_character(text[at + i], pattern[i], match_case)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::size_t> search_text(std::string_view text, std::string_view pattern,
                                       std::size_t start, bool scan, bool match_case) {
    if (pattern.size() > text.size() || start > text.size() - pattern.size()) {
        return std::nullopt;
    }
    const std::size_t last = scan ? text.size() - pattern.size() : start;
    for (std::size_t at = start; at <= last; ++at) {
        if (matches_at(text, pattern, at, match_case)) {
            return at;
        }
    }
    return std::nullopt;
}

std::optional<TextSelection> find_next(std::string_view text, std::string_view pattern,
                                       TextSelection selection, bool match_case) {
    if (pattern.empty()) {
        return std::nullopt;
    }
    const auto at = search_text(text, pattern, selection.end, true, match_case);
    if (!at) {
        return std::nullopt;
    }
    return TextSelection{*at, *at + pattern.size()};
}

std::optional<TextSelection> replace_range(std::string_view text, std::string_view pattern,
                                           TextSelection selection, bool match_case) {
    if (pattern.empty()) {
        return std::nullopt;
    }
    const auto at = search_text(text, pattern, selection.start, false, match_case);
    if (!at) {
        return std::nullopt;
    }
    return TextSelection{*at, *at + pattern.size()};
}

ReplaceAllResult replace_all(std::string_view text, std::string_view pattern,
                             std::string_view replacement, std::size_t start, bool match_case) {
    ReplaceAllResult result;
    result.text.reserve(text.size());
    // Searching on from the end of each match in the original text is the same as searching
    // the rebuilt text from the end of the inserted replacement, without rebuilding it.
    std::size_t copied = 0;
    std::optional<std::size_t> at =
        pattern.empty() ? std::nullopt : search_text(text, pattern, start, true, match_case);
    while (at) {
        result.text.append(text.substr(copied, *at - copied));
        result.text.append(replacement);
        ++result.replacements;
        copied = *at + pattern.size();
        at = search_text(text, pattern, copied, true, match_case);
    }
    result.text.append(text.substr(copied));
    return result;
}

}  // namespace travex
