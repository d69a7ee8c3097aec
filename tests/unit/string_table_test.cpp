#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "codec/charset.h"
#include "resources/resource_text.h"
#include "resources/string_table.h"

namespace travex {
namespace {

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

}  // namespace
}  // namespace travex
