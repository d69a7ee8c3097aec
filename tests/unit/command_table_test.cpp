#include <gtest/gtest.h>

#include "frame/command_table.h"
#include "resources/string_table.h"

namespace travex {
namespace {

TEST(CommandTable, RowsAscendAndDoNotOverlap) {
    int previous_last = 0;
    for (const CommandRow& row : command_table()) {
        EXPECT_LE(row.first, row.last);
        EXPECT_GT(row.first, previous_last);
        previous_last = row.last;
    }
}

TEST(CommandTable, EveryCommandWithHelpHasAHelpTextAndTheOthersHaveNone) {
    for (const CommandRow& row : command_table()) {
        for (int id = row.first; id <= row.last; ++id) {
            const auto help = command_help_id(static_cast<std::uint16_t>(id));
            EXPECT_EQ(help.has_value(), row.has_help) << id;
            if (help) {
                EXPECT_EQ(*help, id - 19801);
                EXPECT_TRUE(string_text(*help)) << "command " << id << " help " << *help;
            }
        }
    }
    EXPECT_EQ(string_text(*command_help_id(20071)), "Display the function of KEY PAD");
    EXPECT_FALSE(command_help_id(40098));
    EXPECT_FALSE(command_help_id(40100));
}

TEST(CommandTable, GapsAndUnknownIdsFallToTheDefaultProcedure) {
    for (const std::uint16_t id : {20000, 20006, 20010, 20019, 20024, 20032, 20044, 20080, 20088,
                                   20089, 20092, 40097, 40101}) {
        EXPECT_FALSE(find_command(id)) << id;
    }
}

TEST(CommandTable, FontSizeItemsGiveIndexesOneToNine) {
    EXPECT_EQ(font_size_index(20033), 1);
    EXPECT_EQ(font_size_index(20041), 9);
    EXPECT_FALSE(font_size_index(20032));
    EXPECT_FALSE(font_size_index(20042));
    EXPECT_EQ(kCommandFontSizeBase + 3, 20035);
}

TEST(CommandTable, FunctionTableItemsGiveTheirGroups) {
    EXPECT_EQ(function_group(20071), 1);
    EXPECT_EQ(function_group(20079), 9);
    EXPECT_EQ(function_group(20081), 11);
    EXPECT_EQ(function_group(20087), 17);
    EXPECT_EQ(function_group(20090), 23);
    EXPECT_FALSE(function_group(20080));
    EXPECT_FALSE(function_group(20091));
    for (const std::uint16_t id : {20071, 20073, 20081, 20087, 20090}) {
        EXPECT_TRUE(string_text(static_cast<std::uint16_t>(*function_group(id))))
            << "group title of " << id;
    }
}

TEST(CommandTable, ActionsOfTheFixedCommands) {
    EXPECT_EQ(find_command(kCommandExit)->action, FrameAction::exit);
    EXPECT_EQ(find_command(kCommandAbout)->action, FrameAction::about);
    EXPECT_EQ(find_command(kCommandToolBar)->action, FrameAction::toggle_toolbar);
    EXPECT_EQ(find_command(20028)->action, FrameAction::auto_setting_step);
    EXPECT_EQ(find_command(40100)->action, FrameAction::opening_tool);
}

}  // namespace
}  // namespace travex
