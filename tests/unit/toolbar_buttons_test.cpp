#include <gtest/gtest.h>

#include "frame/command_table.h"
#include "frame/toolbar_buttons.h"
#include "resources/string_table.h"

namespace travex {
namespace {

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

}  // namespace
}  // namespace travex
