#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/text_id.h"
#include "codec/charset.h"
#include "resources/resource_text.h"
#include "resources/string_table.h"

namespace travex {
namespace {

using namespace std::string_literals;

std::string text_of(std::uint16_t id) {
    return std::string(string_text(id).value_or("<missing>"));
}

// The entries of one function-menu heading, in order up to the first id without a string.
std::vector<std::string> entries_under(std::uint16_t heading) {
    std::vector<std::string> entries;
    for (std::uint16_t id = heading + 1; id <= heading + 52; ++id) {
        const auto text = string_text(id);
        if (!text) {
            break;
        }
        entries.emplace_back(*text);
    }
    return entries;
}

TEST(StringTable, IdsAscendWithoutRepeatsAndNoTextIsEmptyOrTooLongForAResource) {
    std::uint16_t previous = 0;
    for (const StringEntry& entry : string_table()) {
        EXPECT_GT(entry.id, previous) << "id " << entry.id;
        previous = entry.id;
        EXPECT_FALSE(entry.text.empty()) << "id " << entry.id;
        EXPECT_LT(entry.text.size(), 4097u) << "id " << entry.id;
        EXPECT_EQ(entry.text.find('\0'), std::string_view::npos) << "id " << entry.id;
    }
}

TEST(StringTable, LookupFindsFirstLastAndNothingBetweenOrBeyond) {
    EXPECT_EQ(text_of(1), "KEY PAD");
    EXPECT_EQ(text_of(string_table().back().id), string_table().back().text);
    EXPECT_FALSE(string_text(0));
    EXPECT_FALSE(string_text(10));   // no group 10
    EXPECT_FALSE(string_text(205));  // 20006 has no command
    EXPECT_FALSE(string_text(432));  // one past the last message
    EXPECT_FALSE(string_text(65535));
}

TEST(StringTable, GlyphNamesSitAtByteplus372ForExactlyTheNamedBytes) {
    const std::pair<int, const char*> some[] = {
        {0x82, "0"},     {0x8B, "9"},  {0x99, "EE"},    {0x9A, "-"},   {0xA1, "complex_angle"},
        {0xA9, "theta"}, {0xAB, "pi"}, {0xB1, "not_="}, {0xBC, "^-1"}, {0xBE, "sto"},
        {0xBF, "root"},  {0xC4, "\\"}, {0xD8, "->"},    {0xF9, "^4"},  {0xFE, "^b"},
    };
    for (const auto& [byte, name] : some) {
        EXPECT_EQ(text_of(static_cast<std::uint16_t>(byte + kGlyphNameOffset)), name) << byte;
    }
    int named = 0;
    std::set<std::string> names;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        if (const auto name = string_text(static_cast<std::uint16_t>(byte + kGlyphNameOffset))) {
            ++named;
            names.emplace(*name);
        }
    }
    EXPECT_EQ(named, 58);
    EXPECT_EQ(names.size(), 58u) << "a name must lead back to one byte";
    EXPECT_FALSE(string_text(0x80 + kGlyphNameOffset));
    EXPECT_FALSE(string_text(0xFF + kGlyphNameOffset));
}

// Status bar help and hover labels fit the space their windows give them.
TEST(StringTable, StatusHelpAndHoverTextsFitTheirPlaces) {
    for (const auto& entry : string_table()) {
        if (entry.id >= 200 && entry.id < 300) {
            EXPECT_LE(entry.text.size(), 63u) << "status bar shows 63 characters, id " << entry.id;
        }
        if (entry.id >= 300 && entry.id < 400) {
            EXPECT_LE(entry.text.size(), 19u) << "hover label holds 19 characters, id " << entry.id;
        }
    }
}

TEST(StringTable, EveryProgressTextIdHasAText) {
    for (const TextId id :
         {TextId::sending, TextId::receiving, TextId::screen_capturing, TextId::screen_image}) {
        const auto text = string_text(string_id(id));
        ASSERT_TRUE(text) << string_id(id);
        EXPECT_FALSE(text->empty());
    }
    EXPECT_FALSE(string_text(string_id(TextId::none)));
}

TEST(StringTable, FilterStringsOfTheRunningModelAreWellFormedPairs) {
    EXPECT_EQ(text_of(182), "Text File(*.txt)|*.txt||");
    EXPECT_EQ(text_of(183), "Program File(*.g6p)|*.g6p|Text File(*.txt)|*.txt||");
    EXPECT_EQ(text_of(184), "Slide Show(*.g6s)|*.g6s||");
    EXPECT_EQ(text_of(185), "Bitmap File(*.bmp)|*.bmp||");
    EXPECT_EQ(text_of(188), "Group File(*.g6g)|*.g6g||");
    EXPECT_EQ(text_of(193), "Group File(*.g4g;*.g6g)|*.g4g;*.g6g||");
    for (const std::uint16_t id : {180, 182, 183, 184, 185, 186, 188, 189, 191, 193}) {
        const std::string filter = text_of(id);
        ASSERT_GE(filter.size(), 2u) << id;
        EXPECT_EQ(filter.substr(filter.size() - 2), "||") << id;
        const std::string body = filter.substr(0, filter.size() - 2);
        EXPECT_EQ(std::count(body.begin(), body.end(), '|') % 2, 1) << "pairs in " << id;
        EXPECT_EQ(body.find("||"), std::string::npos) << "empty field in " << id;
    }
    // The receive dialog's categories follow the "All Files" entry in slot order.
    const std::string receive = text_of(189);
    const char* slots[] = {"*.g6b", "*.g6d", "*.g6y", "*.g6e", "*.g6i", "*.g6l", "*.g6n",
                           "*.g6m", "*.g6p", "*.g6s", "*.g6t", "*.g6w", "*.g6v", "*.g6z"};
    std::size_t at = receive.find("All Files(*.g6*)|*.g6*|");
    ASSERT_EQ(at, 0u);
    for (const char* pattern : slots) {
        const std::size_t next = receive.find(std::string("|") + pattern + "|", at);
        ASSERT_NE(next, std::string::npos) << pattern;
        at = next + 1;
    }
    EXPECT_NE(text_of(191).find("*.g6p;*.g4p"), std::string::npos);
    EXPECT_NE(text_of(180).find("Bitmap File(*.bmp)|*.bmp||"), std::string::npos);
}

TEST(StringTable, FunctionMenuTextsOfTheKeyPadCalcAndProgCom) {
    const auto keypad = entries_under(1000);
    ASSERT_EQ(keypad.size(), 52u);
    EXPECT_EQ(keypad[0], "sin ");
    EXPECT_EQ(keypad[3], "sin\xBC ");
    EXPECT_EQ(keypad[13], "\x15");  // a byte-map code
    EXPECT_EQ(keypad[51], ":");
    EXPECT_FALSE(string_text(1000)) << "group 1 has no heading";
    EXPECT_EQ(entries_under(2100), std::vector<std::string>{"Value "});
    EXPECT_EQ(text_of(2005), "X_Incpt");  // kept though never listed for this model
    EXPECT_EQ(text_of(8400), "COORD");
    EXPECT_EQ(text_of(8450), "SETUP");
    const auto setup = entries_under(8400);
    EXPECT_EQ(setup.front(), "Rect");
    EXPECT_EQ(setup.back(), "r\xA1\xA9");
    EXPECT_EQ(setup.size(), 21u);
    EXPECT_EQ(text_of(3), "DRAW ");
    EXPECT_EQ(text_of(13200), "R\xA9");
    EXPECT_EQ(text_of(23900), "J");
    EXPECT_TRUE(entries_under(23900).empty());
    EXPECT_EQ(text_of(25641), "\xCA");
    EXPECT_EQ(text_of(11500), "MBOX");
    EXPECT_EQ(text_of(6403), "\"");
    EXPECT_EQ(text_of(24209), "Med_Med ");
}

TEST(ResourceText, StoredFormLoadsBackToEveryStringOfTheTable) {
    for (const StringEntry& entry : string_table()) {
        const auto loaded = load_calculator_text(resource_form(entry.text));
        ASSERT_TRUE(loaded) << entry.id;
        EXPECT_EQ(*loaded, entry.text) << entry.id;
    }
}

TEST(ResourceText, GlyphNamesAgreeWithTheCharacterSet) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        const auto in_table = string_text(static_cast<std::uint16_t>(glyph_string_id(b)));
        EXPECT_EQ(in_table.value_or(""), glyph_name(b)) << byte;
    }
    EXPECT_EQ(glyph_names().size(), 58u);
}

TEST(ResourceText, ScriptEscapesQuotesBackslashesControlsAndGlyphs) {
    const std::string script = string_table_resource_script();
    EXPECT_EQ(script.rfind("STRINGTABLE\nBEGIN\n", 0), 0u);
    EXPECT_EQ(script.substr(script.size() - 4), "END\n");
    EXPECT_NE(script.find("    1, L\"KEY PAD\"\n"), std::string::npos);
    EXPECT_NE(script.find("    6403, L\"\"\"\"\n"), std::string::npos);    // a lone quote
    EXPECT_NE(script.find("    568, L\"\\x005C\"\n"), std::string::npos);  // glyph name "\"
    EXPECT_NE(script.find("    1014, L\"\\x0015\"\n"), std::string::npos);
    EXPECT_NE(script.find("    1004, L\"sin\\x00BC \"\n"), std::string::npos);
    EXPECT_NE(script.find("    404, L\"No response.\\x000DMake sure"), std::string::npos);
    // One line per string: no raw control character may reach the script.
    EXPECT_EQ(static_cast<std::size_t>(std::count(script.begin(), script.end(), '\n')),
              string_table().size() + 3);
    for (const char c : script) {
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
    }
}

}  // namespace
}  // namespace travex
