// The resource tables: strings, messages, commands, toolbar buttons and window classes against
// each other and against the resource script.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/message_id.h"
#include "codec/charset.h"
#include "frame/command_table.h"
#include "frame/toolbar_buttons.h"
#include "link/link_engine.h"
#include "resources/resource_text.h"
#include "resources/string_table.h"
#include "window/message_table.h"

namespace travex {
namespace {

// The first group of every match of `pattern` in a file of the source tree.
std::vector<std::string> matches(const std::string& relative, const std::string& pattern) {
    std::ifstream in(std::string(TRAVEX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(source.begin(), source.end(), re);
         it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1]);
    }
    return found;
}

// Every "#define NAME number" of resources/resource_ids.h.
std::map<std::string, int> resource_ids() {
    std::map<std::string, int> ids;
    for (const std::string& line :
         matches("app/resources/resource_ids.h", R"(#define (\w+ \d+))")) {
        ids[line.substr(0, line.find(' '))] = std::stoi(line.substr(line.find(' ')));
    }
    return ids;
}

// Ids ascend (lookup bisects them, and no id is there twice) and every text survives the
// resource form; the glyph names agree with the charset.
TEST(StringTable, IdsAscendAndEveryTextSurvivesTheResourceForm) {
    std::uint16_t previous = 0;
    for (const StringEntry& entry : string_table()) {
        EXPECT_GT(entry.id, previous);
        previous = entry.id;
        EXPECT_FALSE(entry.text.empty()) << entry.id;
        EXPECT_EQ(load_calculator_text(resource_form(entry.text)).value_or("<none>"), entry.text)
            << entry.id;
    }
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        const auto in_table = string_text(static_cast<std::uint16_t>(glyph_string_id(b)));
        EXPECT_EQ(in_table.value_or(""), glyph_name(b)) << byte;
    }
    const std::string script = string_table_resource_script();
    EXPECT_NE(script.find("    6403, L\"\"\"\"\n"), std::string::npos);  // a lone quote
    EXPECT_TRUE(std::all_of(script.begin(), script.end(),
                            [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }));
}

// Every message has a text the report shows whole and an icon; only a cancelled transfer is
// never reported; every link code reads as its message and an unknown one as a failure.
TEST(MessageIds, EveryMessageHasATextAnIconAndAReport) {
    int count = 0;
    for (int index = 0; message_of_index(index) != MessageId::none; ++index, ++count) {
        const MessageId id = message_of_index(index);
        SCOPED_TRACE(string_id(id));
        EXPECT_EQ(message_index(id), index);
        const auto text = string_text(string_id(id));
        ASSERT_TRUE(text);
        EXPECT_LE(text->size(), kMessageTextLimit);
        const auto content = error_report_content(id);
        EXPECT_EQ(content.has_value(), id != MessageId::user_abort);
        if (content) {
            EXPECT_EQ(content->text, *text);
            EXPECT_EQ(content->icon, message_table()[static_cast<std::size_t>(index)].icon);
        }
    }
    EXPECT_EQ(message_table().size(), static_cast<std::size_t>(count)) << "one icon per message";
    for (int code = 0; code <= message_index(MessageId::name_too_long); ++code) {
        EXPECT_EQ(message_index(link::link_message(code)), code);
    }
    EXPECT_EQ(link::link_message(-1), MessageId::communication_failed);
    EXPECT_EQ(link::link_message(29), MessageId::communication_failed);
}

// Rows ascend without overlap (the lookup bisects them); every menu item and accelerator of the
// resource script has a handler, and every handled command its help text or is marked without.
TEST(CommandTable, EveryMenuCommandHasAHandlerAndAHelpText) {
    int previous_last = 0;
    for (const CommandRow& row : command_table()) {
        EXPECT_LE(row.first, row.last);
        EXPECT_GT(row.first, previous_last);
        previous_last = row.last;
        for (int id = row.first; id <= row.last; ++id) {
            const auto help = command_help_id(static_cast<std::uint16_t>(id));
            EXPECT_EQ(help.has_value(), row.has_help) << id;
            EXPECT_TRUE(!help || string_text(*help)) << "command " << id;
        }
    }
    const auto ids = resource_ids();
    const auto commands = matches("app/resources/travex.rc", R"((?:MENUITEM "[^"]*"|"\w"), (\w+))");
    ASSERT_GT(commands.size(), 56u);
    for (const std::string& name : commands) {
        ASSERT_TRUE(ids.count(name)) << name << " is not in resource_ids.h";
        EXPECT_TRUE(find_command(static_cast<std::uint16_t>(ids.at(name)))) << name;
    }
    EXPECT_FALSE(find_command(20006));
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

TEST(ToolbarButtons, HitRectanglesAreHalfOpenAndEachButtonHasACommandAndAHoverText) {
    EXPECT_EQ(button_at(37, 10), 1) << "the shared edge belongs to the right-hand button";
    ASSERT_EQ(toolbar_buttons().size(), 10u);
    for (int i = 0; i < 10; ++i) {
        const ToolbarButton& button = toolbar_buttons()[i];
        EXPECT_TRUE(find_command(button.command)) << i;
        const auto text = string_text(static_cast<std::uint16_t>(300 + i));
        ASSERT_TRUE(text) << i;
        EXPECT_LE(text->size(), kHoverTextLimit);
        // Save, Print, Cut, Copy and Paste need a document; the rest always apply.
        EXPECT_EQ(press_ignored(i, ToolbarContext{}), i >= 2 && i <= 6) << i;
    }
}

}  // namespace
}  // namespace travex
