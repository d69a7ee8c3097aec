#pragma once
// Find and Replace of the program editor, on the calculator text of one edit box. Positions
// are character positions of the box (one per calculator byte). The direction is always
// forward from the selection.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace travex {

struct TextSelection {
    std::size_t start = 0;
    std::size_t end = 0;
};

// The first position p >= start where pattern matches text (each character compared alone;
// without match_case ASCII letters match either case, calculator glyph bytes only themselves).
// Only `start` itself is tried when scan is false. An empty pattern matches at start. Nothing
// when no candidate up to text.size() - pattern.size() matches.
std::optional<std::size_t> search_text(std::string_view text, std::string_view pattern,
                                       std::size_t start, bool scan, bool match_case);

// Find Next: the match after the selection's end, as the new selection; nothing when there is
// none (the selection stays and "There is no corresponding data." is shown). An empty find
// text finds nothing.
std::optional<TextSelection> find_next(std::string_view text, std::string_view pattern,
                                       TextSelection selection, bool match_case);

// Replace: when the text at the selection's start matches, the range to replace with the
// replacement (start, start + pattern length); nothing otherwise. The caret goes to
// start + replacement length afterwards. An empty find text replaces nothing.
std::optional<TextSelection> replace_range(std::string_view text, std::string_view pattern,
                                           TextSelection selection, bool match_case);

struct ReplaceAllResult {
    std::string text;
    std::size_t replacements = 0;
};

// Replace All from `start`: every match at or after start is replaced, searching on after the
// inserted text, so the replacement is never searched again ("a" -> "aa" on "aaa" gives
// "aaaaaa"). Matches before start stay. An empty pattern replaces nothing. Linear in the
// text's length, not one rebuild per match.
ReplaceAllResult replace_all(std::string_view text, std::string_view pattern,
                             std::string_view replacement, std::size_t start, bool match_case);

}  // namespace travex
