#include <gtest/gtest.h>

#include <set>

#include "frame/command_table.h"
#include "resource_source.h"
#include "resources/string_table.h"

namespace travex {
namespace {

using testing::rc_names;
using testing::resource_ids;

// Rows ascend without overlap (the lookup bisects them), every handled command has its help
// text or is marked without, and a function-table command names a group that has a title.
TEST(CommandTable, RowsAscendAndEveryHandledCommandHasItsTexts) {
    int previous_last = 0;
    for (const CommandRow& row : command_table()) {
        EXPECT_LE(row.first, row.last);
        EXPECT_GT(row.first, previous_last);
        previous_last = row.last;
        for (int id = row.first; id <= row.last; ++id) {
            const auto command = static_cast<std::uint16_t>(id);
            const auto help = command_help_id(command);
            EXPECT_EQ(help.has_value(), row.has_help) << id;
            EXPECT_TRUE(!help || string_text(*help)) << "command " << id;
            if (const auto group = function_group(command)) {
                EXPECT_TRUE(string_text(static_cast<std::uint16_t>(*group))) << id;
            }
        }
    }
    for (const std::uint16_t id : {20000, 20006, 20080, 40101}) {
        EXPECT_FALSE(find_command(id)) << id;
    }
}

TEST(CommandTable, EveryMenuItemAndAcceleratorHasAHandler) {
    const auto ids = resource_ids();
    std::vector<std::string> commands = rc_names(R"(MENUITEM "[^"]*", (\w+))");
    const auto keys = rc_names(R"("\w", (\w+), VIRTKEY)");
    ASSERT_GT(commands.size(), 50u);
    ASSERT_EQ(keys.size(), 6u);
    commands.insert(commands.end(), keys.begin(), keys.end());
    for (const std::string& name : commands) {
        ASSERT_TRUE(ids.count(name)) << name << " is not in resource_ids.h";
        EXPECT_TRUE(find_command(static_cast<std::uint16_t>(ids.at(name)))) << name;
    }
}

TEST(ResourceIds, NoTwoIdsCollideWithinAKindOrAcrossTheSharedNumberSpace) {
    std::map<std::string, std::set<int>> seen;  // prefix -> values
    for (const auto& [name, value] : resource_ids()) {
        if (!name.ends_with("_BASE")) {
            EXPECT_TRUE(seen[name.substr(0, 3)].insert(value).second) << name << " " << value;
        }
    }
    // Commands, menus, dialogs, icons and bitmaps share one number space in WM_COMMAND and
    // the resource lookups of one module.
    std::set<int> all;
    for (const char* kind : {"IDM", "IDR", "IDD", "IDI", "IDB"}) {
        for (const int value : seen[kind]) {
            EXPECT_TRUE(all.insert(value).second) << kind << " " << value;
        }
    }
}

}  // namespace
}  // namespace travex
