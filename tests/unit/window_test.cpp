#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/opening_tool.h"
#include "image/screen_window_layout.h"
#include "window/window_registry.h"

namespace travex {
namespace {

using enum DocumentKind;

std::vector<WindowId> walk(const WindowRegistry& registry) {
    std::vector<WindowId> found;
    std::size_t position = 0;
    while (const WindowId window = registry.next(0, any, position)) {
        found.push_back(window);
        ++position;
    }
    return found;
}

TEST(WindowRegistry, FreedEntriesAreReusedWithoutTheirActiveMark) {
    WindowRegistry registry;
    registry.add(11, program_editor);
    registry.add(12, screen_image);
    registry.add(13, program_editor);
    registry.activate(12, screen_image);
    registry.remove(12);
    EXPECT_EQ(registry.active(screen_image), 0u);
    registry.add(14, screen_image);  // takes the freed middle entry, but not its active mark
    EXPECT_EQ(walk(registry), (std::vector<WindowId>{11, 14, 13}));
    EXPECT_EQ(registry.active(screen_image), 0u);
    registry.add(0, program_editor);
    EXPECT_EQ(registry.open_windows(), 3u);
}

TEST(WindowRegistry, CloseAllStopsAtTheFirstCancelledWindow) {
    WindowRegistry registry;
    for (WindowId w = 1; w <= 4; ++w) {
        registry.add(w, program_editor);
    }
    std::vector<WindowId> asked;
    EXPECT_FALSE(close_all_windows(registry, [&](WindowId w) {
        asked.push_back(w);
        if (w == 3) {
            return false;
        }
        registry.remove(w);
        return true;
    }));
    EXPECT_EQ(asked, (std::vector<WindowId>{1, 2, 3}));
    EXPECT_EQ(walk(registry), (std::vector<WindowId>{3, 4}));
    // Counter 1 for the frame + open documents.
    EXPECT_FALSE(window_limit_reached(30, 30));
    EXPECT_TRUE(window_limit_reached(31, 30));
}

TEST(ScreenWindowLayout, OnlyAnUnsavedCaptureAsksOnClose) {
    EXPECT_TRUE(image::asks_to_save_on_close("SCREEN IMAGE12"));
    EXPECT_FALSE(image::asks_to_save_on_close("Screen imag"));
    EXPECT_FALSE(image::asks_to_save_on_close("Z:\\work\\Screen image1.bmp"));
}

TEST(OpeningTool, ParametersCarryTheFrameTheMessageAndTheSettingsFileUpTo519Characters) {
    EXPECT_EQ(opening_tool_parameters(0xFFFFFFFF00000010ull, "x"),
              "\nffffffff00000010,407,42,\n \"x\"");
    EXPECT_EQ(opening_tool_parameters(0xABC, std::string(600, 'p')).size(), 519u);
    // 15 before the path, the closing quote after.
    EXPECT_EQ(opening_tool_parameters(0xABC, std::string(519 - 17, 'q')).size(), 518u);
}

}  // namespace
}  // namespace travex
