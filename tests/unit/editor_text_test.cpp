// Calculator bytes as edit-box text and back: one unit per byte, every byte kept.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "editor/edit_text.h"
#include "editor/find_replace.h"
#include "files/save_as_name.h"
#include "resources/file_filters.h"

namespace {

using travex::from_edit_text;
using travex::to_edit_text;

TEST(EditorEditText, EveryCalculatorByteSurvivesTheEditBox) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all.push_back(static_cast<char>(byte));
    }
    const std::u16string edit = to_edit_text(all);
    ASSERT_EQ(edit.size(), 256u);
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t expected =
            byte < 0x80 ? static_cast<char16_t>(byte) : static_cast<char16_t>(0xF000 + byte);
        EXPECT_EQ(edit[static_cast<std::size_t>(byte)], expected) << byte;
    }
    EXPECT_EQ(from_edit_text(edit), all);
    EXPECT_EQ(to_edit_text(""), u"");
}

TEST(EditorEditText, PastedUnitsBecomeOneByteEach) {
    // U+F000-U+F0FF and U+0000-U+00FF carry their low byte; anything else cannot be a
    // calculator byte and becomes '?', so positions stay those of the box.
    const std::u16string pasted = {u'A',   0x00E9, 0xF041, 0xF000, 0xF0FF, 0x0100,
                                   0x20AC, 0xEFFF, 0xF100, 0xD83D, 0xDE00, 0xFFFF};
    EXPECT_EQ(from_edit_text(pasted), std::string("A\xE9"
                                                  "A") +
                                          '\0' + "\xFF" + std::string(7, '?'));
}

// The filters of the file dialogs and the extension a name typed into Save As ends up with.
using travex::apply_save_extension;
using travex::filter_extensions;
using travex::filter_list;

using Extensions = std::vector<std::string>;

TEST(EditorSaveAsName, KnownExtensionsStayOthersGiveWayToTheChosenFilters) {
    const std::string program = filter_list(travex::kFilterSaveProgram);
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"prog", 1, "prog.g6p"},
        {"prog.G6P", 1, "prog.g6p"},             // compared case-sensitively
        {"prog.txt", 1, "prog.txt"},             // any extension of the list stays
        {"prog", 2, "prog.txt"}, {"prog.", 1, "prog.g6p"},
        {"prog.txt.bak", 1, "prog.txt.g6p"},     // only the last extension counts
        {"prog.g6pq", 1, "prog.g6pq"},           // only its first four characters
        {"C:\\data.v1\\prog", 1, "C:\\data.v1\\prog.g6p"}, {"C:prog.x", 1, "C:prog.g6p"},
        {"dir\\.txt", 1, "dir\\.txt"},
        {"prog", 0, "prog.g6p"},                 // no filter chosen: the first one
        {"prog", -5, "prog.g6p"},
    };
    // clang-format on
    for (const auto& [typed, chosen, saved] : cases) {
        EXPECT_EQ(apply_save_extension(typed, program, chosen), saved) << typed << " " << chosen;
    }
    EXPECT_EQ(apply_save_extension("shot", filter_list(travex::kFilterSaveImage), 1), "shot.bmp");
    EXPECT_EQ(apply_save_extension("prog.x", "", 1), "prog.x");
}

// Find, Find Next, Replace and Replace All of the program editor on calculator text.
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
        {"aAa", "A", "", 0, kAnyCase, "", 3}, {"aAa", "A", "b", 0, kMatchCase, "aba", 1},
        {"abab", "ab", "ab", 0, kMatchCase, "abab", 2},
        {"abc", "", "x", 0, kMatchCase, "abc", 0},           // an empty find text does nothing
        {"abc", "", "", 1, kMatchCase, "abc", 0}, {"abc", "d", "x", 0, kMatchCase, "abc", 0},
        {"abc", "c", "x", 3, kMatchCase, "abc", 0}, {"abc", "a", "x", 99, kMatchCase, "abc", 0},
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
