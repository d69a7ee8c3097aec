// Calculator bytes as edit-box text and back, the Save As extension, and Find and Replace.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "editor/edit_text.h"
#include "editor/find_replace.h"
#include "files/save_as_name.h"
#include "resources/file_filters.h"

namespace travex {
namespace {

TEST(EditorEditText, EveryCalculatorByteSurvivesTheEditBoxAndPastedUnitsStayOneByte) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all.push_back(static_cast<char>(byte));
    }
    const std::u16string edit = to_edit_text(all);
    EXPECT_EQ(edit[0x7F], u'\x7F');
    EXPECT_EQ(edit[0x80], u'\xF080');
    EXPECT_EQ(from_edit_text(edit), all);
    // U+0000-U+00FF and U+F000-U+F0FF carry their low byte; anything else becomes '?'.
    const std::u16string pasted = {0x00E9, 0xF0FF, 0x0100, 0xEFFF, 0xF100, 0xD83D};
    EXPECT_EQ(from_edit_text(pasted), "\xE9\xFF????");
}

TEST(EditorSaveAsName, KnownExtensionsStayOthersGiveWayToTheChosenFilter) {
    const std::string program = filter_list(kFilterSaveProgram);
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"prog", 1, "prog.g6p"}, {"prog.G6P", 1, "prog.g6p"}, {"prog.txt", 1, "prog.txt"},
        {"prog", 2, "prog.txt"}, {"prog.txt.bak", 1, "prog.txt.g6p"},
        {"C:\\data.v1\\prog", 1, "C:\\data.v1\\prog.g6p"}, {"prog", 0, "prog.g6p"},
    };
    // clang-format on
    for (const auto& [typed, chosen, saved] : cases) {
        EXPECT_EQ(apply_save_extension(typed, program, chosen), saved) << typed << " " << chosen;
    }
}

TEST(EditorFind, LettersFoldWithoutMatchCaseAndReplaceTakesOnlyAMatchAtTheSelection) {
    EXPECT_EQ(search_text("xABCx", "abc", 0, true, false), 1u);
    EXPECT_EQ(search_text("xABCx", "abc", 0, true, true), std::nullopt);
    for (const auto& [text, pattern] : {std::pair{"[", "{"}, {"\xC1", "\xE1"}, {"'", "-"}}) {
        EXPECT_EQ(search_text(text, pattern, 0, true, false), std::nullopt) << text;
    }
    // Replace acts only on a match at the selection start.
    EXPECT_EQ(replace_range("xx abc", "ABC", {3, 4}, false)->end, 6u);
    EXPECT_EQ(replace_range("xx abc", "abc", {2, 6}, true), std::nullopt);
    EXPECT_EQ(replace_range("ab", "abc", {0, 0}, true), std::nullopt);
    EXPECT_EQ(replace_range("abc", "", {0, 0}, true), std::nullopt);
}

TEST(EditorReplaceAll, InsertedTextIsNotSearchedAgainAndEarlierMatchesStay) {
    const std::tuple<std::string, std::string, std::string, std::size_t, std::string> cases[] = {
        {"aaa", "a", "aa", 0, "aaaaaa"}, {"abcabc", "abc", "x", 1, "abcx"},
        {"abc", "", "x", 0, "abc"},      {"abc", "c", "x", 3, "abc"},
        {"abc", "a", "x", 99, "abc"},
    };
    for (const auto& [text, pattern, replacement, start, expected] : cases) {
        EXPECT_EQ(replace_all(text, pattern, replacement, start, true).text, expected)
            << text << " " << pattern << " from " << start;
    }
    EXPECT_EQ(replace_all("aAa", "A", "", 0, false).replacements, 3u);
}

}  // namespace
}  // namespace travex
