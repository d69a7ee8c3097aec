// Find, Find Next, Replace and Replace All of the program editor on calculator text.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "editor/find_replace.h"

namespace {

using travex::find_next;
using travex::replace_all;
using travex::replace_range;
using travex::search_text;
using travex::TextSelection;

constexpr bool kMatchCase = true;
constexpr bool kAnyCase = false;

TEST(EditorFind, LettersFoldWithoutMatchCaseAndNothingElseDoes) {
    EXPECT_EQ(search_text("xABCx", "abc", 0, true, kAnyCase), 1u);
    EXPECT_EQ(search_text("xABCx", "abc", 0, true, kMatchCase), std::nullopt);
    EXPECT_EQ(search_text("xABCx", "ABC", 0, true, kMatchCase), 1u);
    // Characters 0x20 apart that are not letters, and glyph bytes 0x20 apart, stay different;
    // so do punctuation marks that a locale comparison would call equal.
    for (const auto& [text, pattern] : std::vector<std::pair<std::string, std::string>>{
             {"[", "{"}, {"@", "`"}, {"^", "~"}, {"\xC1", "\xE1"}, {"\x96", "-"}, {"'", "-"}}) {
        EXPECT_EQ(search_text(text, pattern, 0, true, kAnyCase), std::nullopt) << text;
    }
    EXPECT_EQ(search_text("\xA9x", "\xA9X", 0, true, kAnyCase), 0u);
}

TEST(EditorReplace, OnlyAMatchAtTheSelectionStartIsReplaced) {
    // The selection need not cover the match; only its start counts.
    EXPECT_EQ(replace_range("xx abc", "ABC", {3, 3}, kAnyCase)->start, 3u);
    EXPECT_EQ(replace_range("xx abc", "ABC", {3, 4}, kAnyCase)->end, 6u);
    // A selection that does not start with a match replaces nothing (the editor then moves to
    // the next match with Find Next).
    EXPECT_EQ(replace_range("xx abc", "abc", {2, 6}, kMatchCase), std::nullopt);
    EXPECT_EQ(replace_range("xx abc", "ABC", {3, 6}, kMatchCase), std::nullopt);
    EXPECT_EQ(find_next("xx abc", "abc", {2, 2}, kMatchCase)->start, 3u);
    EXPECT_EQ(replace_range("abc", "", {0, 0}, kMatchCase), std::nullopt);
    EXPECT_EQ(replace_range("ab", "abc", {0, 0}, kMatchCase), std::nullopt);
}

TEST(EditorReplaceAll, InsertedTextIsNotSearchedAgainAndEarlierMatchesStay) {
    // clang-format off
    const std::tuple<std::string, std::string, std::string, std::size_t, bool, std::string, std::size_t> cases[] = {
        {"aaa", "a", "aa", 0, kMatchCase, "aaaaaa", 3},
        {"a-a-a", "a", "b", 2, kMatchCase, "a-b-b", 2},      // caret in the middle
        {"abcabc", "abc", "x", 1, kMatchCase, "abcx", 1},    // caret inside a match
        {"aAa", "A", "", 0, kAnyCase, "", 3},
        {"aAa", "A", "b", 0, kMatchCase, "aba", 1},
        {"abab", "ab", "ab", 0, kMatchCase, "abab", 2},
        {"abc", "", "x", 0, kMatchCase, "abc", 0},           // an empty find text does nothing
        {"abc", "", "", 1, kMatchCase, "abc", 0},
        {"abc", "d", "x", 0, kMatchCase, "abc", 0},
        {"abc", "c", "x", 3, kMatchCase, "abc", 0},
        {"abc", "a", "x", 99, kMatchCase, "abc", 0},
        {"", "a", "x", 0, kMatchCase, "", 0},
    };
    // clang-format on
    for (const auto& [text, pattern, replacement, start, match_case, expected, count] : cases) {
        const auto result = replace_all(text, pattern, replacement, start, match_case);
        EXPECT_EQ(result.text, expected) << text << " " << pattern << " from " << start;
        EXPECT_EQ(result.replacements, count) << text << " " << pattern << " from " << start;
    }
}

}  // namespace
