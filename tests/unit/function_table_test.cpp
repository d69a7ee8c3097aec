#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/function_table.h"
#include "resources/string_table.h"

namespace travex {
namespace {

std::vector<std::string> texts(const std::vector<FunctionItem>& items) {
    std::vector<std::string> shown;
    for (const FunctionItem& item : items) {
        shown.push_back(function_text(item.text_id));
    }
    return shown;
}

TEST(FunctionTable, KeyPadIsOneColumnOfFiftyTwoEntries) {
    const auto keypad = first_column(1);
    ASSERT_EQ(keypad.size(), 52u);
    EXPECT_EQ(texts(keypad)[0], "sin ");
    EXPECT_EQ(texts(keypad)[1], "cos ");
    EXPECT_EQ(texts(keypad)[2], "tan ");
    EXPECT_EQ(texts(keypad)[13], "\x9A") << "byte 0x15 shows as the negative sign";
    EXPECT_TRUE(second_column(1, 0).empty());
    EXPECT_EQ(function_window_width(1), 164);
    EXPECT_EQ(function_window_width(21), 468);
    EXPECT_EQ(function_window_width(6), 316);
}

TEST(FunctionTable, ProgComShowsSetupForItsFifthHeading) {
    const auto headings = texts(first_column(8));
    ASSERT_EQ(headings.size(), 7u);
    EXPECT_EQ(headings[4], "SETUP");
    EXPECT_EQ(first_column(8)[4].value, 8400);
    const auto setup = texts(second_column(8, 4));
    ASSERT_FALSE(setup.empty());
    EXPECT_EQ(setup.front(), "Rect");
    EXPECT_EQ(setup[1], "Param");
    EXPECT_EQ(setup.back(), "r\xA1\xA9");
}

TEST(FunctionTable, HiddenIdsAreSkippedWithoutEndingTheList) {
    const auto calc = texts(second_column(2, 0));
    EXPECT_EQ(std::count(calc.begin(), calc.end(), "X_Incpt"), 0);
    EXPECT_EQ(calc[3], "Maximum");
    EXPECT_EQ(calc[4], "Y_zero") << "the entry after the hidden one follows at once";
    EXPECT_EQ(calc.size(), 8u);
    EXPECT_EQ(texts(second_column(2, 1)), std::vector<std::string>{"Value "});
    const auto num = texts(second_column(6, 1));
    EXPECT_EQ(num.back(), "gcd(") << "remain is not listed";
    const auto x = texts(second_column(23, 23));
    EXPECT_EQ(std::count(x.begin(), x.end(), "X_Incpt"), 0);
    EXPECT_EQ(x[4], "xyLine\xD3");
}

TEST(FunctionTable, StatGraphAndStatPlotNeverListMboxAndShiftLaterHeadings) {
    for (const int group : {11, 20}) {
        const auto headings = texts(first_column(group));
        EXPECT_EQ(std::count(headings.begin(), headings.end(), "MBOX"), 0) << group;
        ASSERT_EQ(headings.size(), 8u) << group;
        EXPECT_EQ(headings[4], "BOX");
        EXPECT_EQ(headings[5], "PIE");
        EXPECT_EQ(texts(second_column(group, 5)), (std::vector<std::string>{"Pie", "Pie%"}))
            << "the heading after BOX lists 11600, not 11500";
        EXPECT_EQ(texts(second_column(group, 4)).front(), "Box");
    }
}

TEST(FunctionTable, CatalogListsEveryLetterEvenWithoutEntries) {
    const auto letters = texts(first_column(23));
    ASSERT_EQ(letters.size(), 27u);
    EXPECT_EQ(letters.front(), "A");
    EXPECT_EQ(letters[9], "J");
    EXPECT_EQ(letters.back(), "symbol");
    EXPECT_TRUE(second_column(23, 9).empty());
    EXPECT_EQ(second_column(23, 26).size(), 41u);
}

TEST(FunctionTable, VarsGoesThroughGroupsAndHeadings) {
    const auto items = first_column(21);
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(texts(items), (std::vector<std::string>{"EQ VAR", "WIN VAR", "ZOOM VAR", "L_DATA",
                                                      "G_DATA", "PICTUR", "TABLE", "STAT VAR"}));
    // A group: its headings in column 2, then entries in column 3.
    EXPECT_EQ(texts(second_column(21, 0)), (std::vector<std::string>{"XY", "XYT", "R\xA9"}));
    EXPECT_EQ(texts(third_column(0, 2)).front(), "R1");
    // A heading: straight to column 3.
    EXPECT_TRUE(second_column(21, 3).empty());
    EXPECT_EQ(texts(third_column(3, -1)).front(), "L_Data1");
    EXPECT_EQ(texts(third_column(6, -1)),
              (std::vector<std::string>{"TBLStrt", "TBLStep", "TBLList"}));
    EXPECT_TRUE(third_column(8, 0).empty());
    EXPECT_TRUE(third_column(-1, 0).empty());
    EXPECT_TRUE(third_column(0, -1).empty());
}

TEST(FunctionTable, ByteMapTurnsControlBytesIntoGlyphsAndStopsAtUnmappedOnes) {
    EXPECT_EQ(apply_byte_map("x\x01"), "x\x83");
    EXPECT_EQ(apply_byte_map("\x12Min"), "\x98Min");
    EXPECT_EQ(apply_byte_map("\x1B"), "\xF9");
    EXPECT_EQ(apply_byte_map("ab\x08"
                             "cd"),
              "ab")
        << "byte 8 maps to 0: the text ends";
    EXPECT_EQ(apply_byte_map("ab\x1A"), "ab");
    EXPECT_EQ(apply_byte_map("\xBC\x1C"), "\xBC\x1C") << "bytes above 27 stay";
    // Through the string table: STAT VAR's regression equations and PROG COM's quote.
    EXPECT_EQ(function_text(14101), "\x8C");
    EXPECT_EQ(function_text(14107), "\x95\xBB");
    EXPECT_EQ(function_text(8002), "\"");
    EXPECT_EQ(function_text(15301), "Zm_\x98Min");
    EXPECT_EQ(function_text(6000 + 1), "log\x84 ");
    EXPECT_EQ(function_text(999), "");
}

TEST(FunctionTable, EveryGroupHasATitleAndEveryListedTextLoads) {
    for (const FunctionGroup& group : function_groups()) {
        EXPECT_TRUE(string_text(static_cast<std::uint16_t>(group.group))) << group.group;
        const auto column = first_column(group.group);
        EXPECT_FALSE(column.empty()) << group.group;
        for (int position = 0; position < static_cast<int>(column.size()); ++position) {
            for (const FunctionItem& item : second_column(group.group, position)) {
                EXPECT_FALSE(function_text(item.text_id).empty()) << item.text_id;
            }
        }
    }
    EXPECT_EQ(find_function_group(10), std::nullopt);
    EXPECT_EQ(find_function_group(23)->command, 20090);
}

}  // namespace
}  // namespace travex
