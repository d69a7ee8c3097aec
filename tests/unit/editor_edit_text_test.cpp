// Calculator bytes as edit-box text and back: one unit per byte, every byte kept.
#include <gtest/gtest.h>

#include <string>

#include "editor/edit_text.h"

namespace {

using travex::from_edit_text;
using travex::to_edit_text;

TEST(EditorEditText, EveryCalculatorByteSurvivesTheEditBox) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all.push_back(static_cast<char>(byte));
    }
    const std::u16string edit = to_edit_text(all);
    ASSERT_EQ(edit.size(), 256u);
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t expected =
            byte < 0x80 ? static_cast<char16_t>(byte) : static_cast<char16_t>(0xF000 + byte);
        EXPECT_EQ(edit[static_cast<std::size_t>(byte)], expected) << byte;
    }
    EXPECT_EQ(from_edit_text(edit), all);
    EXPECT_EQ(to_edit_text(""), u"");
}

TEST(EditorEditText, PastedUnitsBecomeOneByteEach) {
    // U+F000-U+F0FF and U+0000-U+00FF carry their low byte; anything else cannot be a
    // calculator byte and becomes '?', so positions stay those of the box.
    const std::u16string pasted = {u'A',   0x00E9, 0xF041, 0xF000, 0xF0FF, 0x0100,
                                   0x20AC, 0xEFFF, 0xF100, 0xD83D, 0xDE00, 0xFFFF};
    EXPECT_EQ(from_edit_text(pasted), std::string("A\xE9"
                                                  "A") +
                                          '\0' + "\xFF" + std::string(7, '?'));
}

}  // namespace
