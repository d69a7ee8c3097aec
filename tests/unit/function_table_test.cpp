
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "panels/function_rows.h"
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

// A font whose cell is 1.17 em rounded up, like the calculator font's (ascent plus descent of
// its DejaVu outlines).
int tall_cell(int em) {
    return static_cast<int>(std::ceil(em * 1.17));
}

TEST(FunctionRows, ATallCellShrinksUntilItFitsItsRow) {
    // Ten points at 96 dpi ask for a 13-pixel em, whose 16-pixel cell would reach three pixels
    // into the next row: the underscore of "Zm_Auto" and the tail of "log" were drawn over.
    for (const int dpi : {72, 96, 120, 144, 192}) {
        const int row = function_row_height(dpi);
        const int em = fitted_font_height(row, row, tall_cell);
        EXPECT_LE(tall_cell(em), row) << dpi << " dpi";
        EXPECT_GT(tall_cell(em + 1), row) << dpi << " dpi: not the largest that fits";
    }
    EXPECT_EQ(fitted_font_height(13, 13, tall_cell), 11);
}

TEST(FunctionRows, UnevenRoundingIsSteppedPast) {
    // A font whose hinting makes the proportional guess (13 x 13 / 14 = 12) too tall.
    const auto uneven = [](int em) { return em == 13 ? 14 : em + 2; };
    EXPECT_EQ(fitted_font_height(13, 13, uneven), 11);
}

TEST(FunctionRows, NeverBelowOnePixel) {
    EXPECT_EQ(fitted_font_height(0, 13, tall_cell), 1);
    EXPECT_EQ(fitted_font_height(13, 0, [](int) { return 40; }), 1);
    EXPECT_EQ(fitted_font_height(5, 13, [](int) { return 40; }), 1);
}

}  // namespace
}  // namespace travex
