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
#include "frame/window_classes.h"
#include "link/link_engine.h"
#include "resources/resource_text.h"
#include "resources/string_table.h"
#include "window/message_table.h"

namespace travex {
namespace {

// The resource script and its ids, read from the source tree.
std::string read_source_file(const std::string& relative) {
    std::ifstream in(std::string(TRAVEX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every "#define NAME number" of resources/resource_ids.h.
std::map<std::string, int> resource_ids() {
    std::map<std::string, int> ids;
    const std::string header = read_source_file("app/resources/resource_ids.h");
    const std::regex define(R"(#define (\w+) (\d+))");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), define);
         it != std::sregex_iterator(); ++it) {
        ids[(*it)[1]] = std::stoi((*it)[2]);
    }
    return ids;
}

// The names that follow a pattern's first group in travex.rc, in file order.
std::vector<std::string> rc_names(const std::string& pattern) {
    std::vector<std::string> names;
    const std::string rc = read_source_file("app/resources/travex.rc");
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(rc.begin(), rc.end(), re); it != std::sregex_iterator();
         ++it) {
        names.push_back((*it)[1]);
    }
    return names;
}

// Ids ascend (lookup relies on it), no text is empty or too long for a resource, and the
// status bar (200-299) and hover labels (300-399) hold what their windows show.
TEST(StringTable, IdsAscendAndTextsFitTheirPlaces) {
    std::uint16_t previous = 0;
    for (const StringEntry& entry : string_table()) {
        SCOPED_TRACE(entry.id);
        EXPECT_GT(entry.id, previous);
        previous = entry.id;
        EXPECT_FALSE(entry.text.empty());
        EXPECT_LT(entry.text.size(), 4097u);
        EXPECT_EQ(entry.text.find('\0'), std::string_view::npos);
        EXPECT_TRUE(entry.id < 200 || entry.id >= 300 || entry.text.size() <= 63u);
        EXPECT_TRUE(entry.id < 300 || entry.id >= 400 || entry.text.size() <= 19u);
    }
    EXPECT_FALSE(string_text(0));
    EXPECT_FALSE(string_text(65535));
}

TEST(StringTable, FilterStringsAreWellFormedPairs) {
    for (const std::uint16_t id : {180, 182, 183, 184, 185, 186, 188, 189, 191, 193}) {
        const std::string filter(string_text(id).value_or(""));
        ASSERT_GE(filter.size(), 2u) << id;
        EXPECT_EQ(filter.substr(filter.size() - 2), "||") << id;
        const std::string body = filter.substr(0, filter.size() - 2);
        EXPECT_EQ(std::count(body.begin(), body.end(), '|') % 2, 1) << "pairs in " << id;
        EXPECT_EQ(body.find("||"), std::string::npos) << "empty field in " << id;
    }
}

TEST(ResourceText, EveryStringSurvivesTheResourceFormAndGlyphNamesAgreeWithTheCharset) {
    for (const StringEntry& entry : string_table()) {
        EXPECT_EQ(load_calculator_text(resource_form(entry.text)).value_or("<none>"), entry.text)
            << entry.id;
    }
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        const auto in_table = string_text(static_cast<std::uint16_t>(glyph_string_id(b)));
        EXPECT_EQ(in_table.value_or(""), glyph_name(b)) << byte;
    }
}

TEST(ResourceText, ScriptEscapesQuotesBackslashesControlsAndGlyphs) {
    const std::string script = string_table_resource_script();
    EXPECT_EQ(script.rfind("STRINGTABLE\nBEGIN\n", 0), 0u);
    EXPECT_EQ(script.substr(script.size() - 4), "END\n");
    EXPECT_NE(script.find("    6403, L\"\"\"\"\n"), std::string::npos);    // a lone quote
    EXPECT_NE(script.find("    568, L\"\\x005C\"\n"), std::string::npos);  // glyph name "\"
    EXPECT_NE(script.find("    1004, L\"sin\\x00BC \"\n"), std::string::npos);
    EXPECT_NE(script.find("    404, L\"No response.\\x000DMake sure"), std::string::npos);
    // One line per string: no raw control character may reach the script.
    EXPECT_EQ(static_cast<std::size_t>(std::count(script.begin(), script.end(), '\n')),
              string_table().size() + 3);
    EXPECT_TRUE(std::all_of(script.begin(), script.end(),
                            [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }));
}

// Every message has a text the report shows whole and an icon; only a cancelled transfer is
// never reported.
TEST(MessageIds, EveryMessageHasATextAnIconAndAReport) {
    int count = 0;
    for (int index = 0; message_of_index(index) != MessageId::none; ++index, ++count) {
        const MessageId id = message_of_index(index);
        SCOPED_TRACE(string_id(id));
        EXPECT_EQ(message_index(id), index);
        ASSERT_EQ(message_table()[static_cast<std::size_t>(index)].index, index);
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
    EXPECT_EQ(message_of_index(0), kFirstMessage);
    EXPECT_EQ(message_of_index(count - 1), kLastMessage);
    EXPECT_EQ(message_table().size(), static_cast<std::size_t>(count)) << "one icon per message";
    EXPECT_FALSE(error_report_content(MessageId::none));
}

TEST(MessageIds, LinkCodesMapOntoTheirMessageAndUnknownCodesReadAsFailure) {
    for (int code = 0; code <= message_index(MessageId::name_too_long); ++code) {
        EXPECT_EQ(message_index(link::link_message(code)), code);
    }
    for (const int code : {-1, 29, 30, 400, 1 << 20}) {
        EXPECT_EQ(link::link_message(code), MessageId::communication_failed) << code;
    }
}

TEST(MessageIds, MessagesDoNotShareTheirIdsWithOtherStrings) {
    std::set<std::uint16_t> seen;
    for (const StringEntry& entry : string_table()) {
        EXPECT_TRUE(seen.insert(entry.id).second) << "string id " << entry.id << " twice";
        if (entry.id >= string_id(kFirstMessage) && entry.id < 500) {
            EXPECT_LE(entry.id, string_id(kLastMessage)) << "string " << entry.id;
        }
    }
}

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

TEST(ToolbarButtons, HitRectanglesAreHalfOpenAndLeaveTheGapsEmpty) {
    EXPECT_EQ(button_at(12, 2), 0);
    EXPECT_EQ(button_at(37, 10), 1) << "the shared edge belongs to the right-hand button";
    EXPECT_EQ(button_at(86, 10), 2);
    EXPECT_FALSE(button_at(87, 10)) << "gap between Save and Print";
    EXPECT_FALSE(button_at(12, 1));
    EXPECT_FALSE(button_at(12, 24));
    EXPECT_EQ(button_at(309, 10), 9);
    EXPECT_FALSE(button_at(310, 10));
    EXPECT_FALSE(button_at(-5, -5));
}

TEST(ToolbarButtons, EachButtonSendsAKnownCommandAndHasAHoverText) {
    ASSERT_EQ(toolbar_buttons().size(), 10u);
    for (int i = 0; i < 10; ++i) {
        const ToolbarButton& button = toolbar_buttons()[i];
        EXPECT_TRUE(find_command(button.command)) << i;
        const auto text = string_text(static_cast<std::uint16_t>(300 + i));
        ASSERT_TRUE(text) << i;
        EXPECT_LE(text->size(), kHoverTextLimit);
        EXPECT_EQ(button_at(button.x + 12, 12), i);
    }
}

TEST(ToolbarButtons, PressesIgnoredWhileTheirCommandCannotApply) {
    const ToolbarContext nothing{};
    // Save, Print, Cut, Copy and Paste need a document; the rest always apply.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(press_ignored(i, nothing), i >= 2 && i <= 6) << i;
    }
    // Only a screen image open: Print works, Copy on the toolbar does not.
    const ToolbarContext picture{false, false, true};
    EXPECT_FALSE(press_ignored(3, picture));
    EXPECT_TRUE(press_ignored(5, picture));
    const ToolbarContext editing{true, true, true};
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(press_ignored(i, editing)) << i;
    }
}

// The frame registers first; names are unique; exactly the MDI children carry an icon, and
// each icon is one the resources hold.
TEST(WindowClasses, UniqueNamesAndEveryIconIsOneTheResourcesHold) {
    EXPECT_EQ(window_classes().front().name, kFrameClassName);
    std::set<int> icons;
    const auto ids = resource_ids();
    for (const std::string& name : rc_names(R"((\w+) ICON)")) {
        ASSERT_TRUE(ids.count(name)) << name;
        icons.insert(ids.at(name));
    }
    std::set<std::string_view> names;
    for (const WindowClass& c : window_classes()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_TRUE(c.icon == 0 || icons.count(c.icon)) << c.name << " icon " << c.icon;
        if (c.name != kFrameClassName) {
            EXPECT_EQ(c.icon != 0, c.mdi_child) << c.name;
        }
    }
}

}  // namespace
}  // namespace travex
