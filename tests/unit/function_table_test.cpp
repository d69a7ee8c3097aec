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

TEST(FunctionTable, HiddenEntriesAreSkippedWithoutEndingTheListOrShiftingTheNext) {
    const auto calc = texts(second_column(2, 0));
    EXPECT_EQ(calc.size(), 8u);
    EXPECT_EQ(calc[4], "Y_zero") << "the entry after the hidden X_Incpt follows at once";
    // Stat graphs never list MBOX; the heading after BOX lists Pie, not what MBOX would.
    EXPECT_EQ(texts(first_column(20)).size(), 8u);
    EXPECT_EQ(texts(second_column(20, 5)), (std::vector<std::string>{"Pie", "Pie%"}));
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
}

TEST(FunctionRows, ATallCellShrinksToTheLargestThatFitsItsRowAndNeverBelowOnePixel) {
    // A cell 1.17 em tall, rounded up: ten points at 96 dpi drew into the next row.
    const auto tall_cell = [](int em) { return static_cast<int>(std::ceil(em * 1.17)); };
    for (const int dpi : {72, 96, 192}) {
        const int row = function_row_height(dpi);
        const int em = fitted_font_height(row, row, tall_cell);
        EXPECT_LE(tall_cell(em), row) << dpi << " dpi";
        EXPECT_GT(tall_cell(em + 1), row) << dpi << " dpi: not the largest that fits";
    }
    // Hinting that makes the proportional guess too tall is stepped past.
    EXPECT_EQ(fitted_font_height(13, 13, [](int em) { return em == 13 ? 14 : em + 2; }), 11);
    EXPECT_EQ(fitted_font_height(0, 13, tall_cell), 1);
    EXPECT_EQ(fitted_font_height(5, 13, [](int) { return 40; }), 1);
}

}  // namespace
}  // namespace travex
