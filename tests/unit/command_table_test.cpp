#include <gtest/gtest.h>

#include <set>

#include "frame/command_table.h"
#include "resource_source.h"
#include "resources/string_table.h"

namespace travex {
namespace {

using testing::rc_names;
using testing::resource_ids;

TEST(CommandTable, RowsAscendAndDoNotOverlap) {
    int previous_last = 0;
    for (const CommandRow& row : command_table()) {
        EXPECT_LE(row.first, row.last);
        EXPECT_GT(row.first, previous_last);
        previous_last = row.last;
    }
}

TEST(CommandTable, EveryMenuItemAndAcceleratorHasAHandlerAndItsHelpText) {
    const auto ids = resource_ids();
    std::vector<std::string> commands = rc_names(R"(MENUITEM "[^"]*", (\w+))");
    const auto keys = rc_names(R"("\w", (\w+), VIRTKEY)");
    ASSERT_GT(commands.size(), 50u);
    ASSERT_EQ(keys.size(), 6u);
    commands.insert(commands.end(), keys.begin(), keys.end());
    for (const std::string& name : commands) {
        ASSERT_TRUE(ids.count(name)) << name << " is not in resource_ids.h";
        const auto id = static_cast<std::uint16_t>(ids.at(name));
        const auto row = find_command(id);
        ASSERT_TRUE(row) << name << " has no handler";
        const auto help = command_help_id(id);
        EXPECT_EQ(help.has_value(), row->has_help) << name;
        if (help) {
            EXPECT_TRUE(string_text(*help)) << name << " has no help text";
        }
    }
}

TEST(CommandTable, EveryHandledCommandHasAHelpTextOrIsMarkedWithout) {
    for (const CommandRow& row : command_table()) {
        for (int id = row.first; id <= row.last; ++id) {
            const auto help = command_help_id(static_cast<std::uint16_t>(id));
            EXPECT_EQ(help.has_value(), row.has_help) << id;
            EXPECT_TRUE(!help || string_text(*help)) << "command " << id;
        }
    }
    EXPECT_EQ(string_text(*command_help_id(IDM_FUNC_KEY_PAD)), "Display the function of KEY PAD");
}

TEST(ResourceIds, NoTwoIdsOfOneKindCollide) {
    std::map<std::string, std::set<int>> seen;  // prefix -> values
    for (const auto& [name, value] : resource_ids()) {
        if (name.ends_with("_BASE")) {
            continue;
        }
        const std::string kind = name.substr(0, 3);  // IDM, IDR, IDD, IDI, IDB, IDC
        EXPECT_TRUE(seen[kind].insert(value).second) << name << " reuses " << value;
    }
    // Commands, menus, dialogs, icons and bitmaps share one number space in WM_COMMAND and
    // the resource lookups of one module: none may collide across kinds either.
    std::set<int> all;
    for (const char* kind : {"IDM", "IDR", "IDD", "IDI", "IDB"}) {
        for (const int value : seen[kind]) {
            EXPECT_TRUE(all.insert(value).second) << kind << " " << value;
        }
    }
}

TEST(CommandTable, GapsAndUnknownIdsFallToTheDefaultProcedure) {
    for (const std::uint16_t id : {20000, 20006, 20010, 20019, 20024, 20032, 20044, 20080, 20088,
                                   20089, 20092, 40097, 40101}) {
        EXPECT_FALSE(find_command(id)) << id;
    }
}

TEST(CommandTable, FontSizeItemsGiveIndexesOneToNine) {
    EXPECT_EQ(font_size_index(IDM_FONT_SIZE_8), 1);
    EXPECT_EQ(font_size_index(IDM_FONT_SIZE_20), 9);
    EXPECT_FALSE(font_size_index(IDM_FONT_SIZE_BASE));
    EXPECT_FALSE(font_size_index(IDM_GROUP_FILES));
}

TEST(CommandTable, FunctionTableItemsGiveGroupsWithTitles) {
    EXPECT_EQ(function_group(IDM_FUNC_KEY_PAD), 1);
    EXPECT_EQ(function_group(IDM_FUNC_STAT), 9);
    EXPECT_EQ(function_group(IDM_FUNC_STAT_GRAPH), 11);
    EXPECT_EQ(function_group(IDM_FUNC_ZOOM), 17);
    EXPECT_EQ(function_group(IDM_FUNC_CATALOG), 23);
    EXPECT_FALSE(function_group(20080));
    EXPECT_FALSE(function_group(IDM_ABOUT));
    for (const CommandRow& row : command_table()) {
        for (int id = row.first; id <= row.last; ++id) {
            if (const auto group = function_group(static_cast<std::uint16_t>(id))) {
                EXPECT_TRUE(string_text(static_cast<std::uint16_t>(*group))) << id;
            }
        }
    }
}

}  // namespace
}  // namespace travex
