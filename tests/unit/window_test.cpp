
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "frame/opening_tool.h"
#include "image/screen_window_layout.h"
#include "resources/resource_ids.h"
#include "window/window_registry.h"

namespace travex {
namespace {

using enum DocumentKind;

std::vector<WindowId> walk(const WindowRegistry& registry, DocumentKind kind, WindowId skip = 0) {
    std::vector<WindowId> found;
    std::size_t position = 0;
    while (const WindowId window = registry.next(skip, kind, position)) {
        found.push_back(window);
        ++position;
    }
    return found;
}

TEST(WindowRegistry, FreedEntriesAreReusedBeforeTheListGrows) {
    WindowRegistry registry;
    registry.add(11, program_editor);
    registry.add(12, screen_image);
    registry.add(13, program_editor);
    registry.remove(12);
    registry.add(14, slide_show);  // takes the freed middle entry
    EXPECT_EQ(walk(registry, any), (std::vector<WindowId>{11, 14, 13}));
    EXPECT_EQ(registry.open_windows(), 3u);
    registry.remove(99);  // unknown windows change nothing
    registry.remove(0);
    registry.add(0, program_editor);
    EXPECT_EQ(registry.open_windows(), 3u);
}

TEST(WindowRegistry, AClosedActiveWindowLeavesNoActiveWindowOfItsKind) {
    WindowRegistry registry;
    registry.add(1, program_editor);
    registry.activate(1, program_editor);
    registry.remove(1);
    EXPECT_EQ(registry.active(program_editor), 0u);
    registry.add(5, program_editor);  // reuses the entry, but not its active mark
    EXPECT_EQ(registry.active(program_editor), 0u);
}

TEST(WindowRegistry, CloseAllStopsAtTheFirstCancelledWindow) {
    WindowRegistry registry;
    for (WindowId w = 1; w <= 4; ++w) {
        registry.add(w, program_editor);
    }
    std::vector<WindowId> asked;
    const bool all = close_all_windows(registry, [&](WindowId w) {
        asked.push_back(w);
        if (w == 3) {
            return false;
        }
        registry.remove(w);
        return true;
    });
    EXPECT_FALSE(all);
    EXPECT_EQ(asked, (std::vector<WindowId>{1, 2, 3}));
    EXPECT_EQ(walk(registry, any), (std::vector<WindowId>{3, 4}));

    asked.clear();
    EXPECT_TRUE(close_all_windows(registry, [&](WindowId w) {
        asked.push_back(w);
        registry.remove(w);
        return true;
    }));
    EXPECT_EQ(asked, (std::vector<WindowId>{3, 4}));
    EXPECT_EQ(registry.open_windows(), 0u);
    EXPECT_TRUE(close_all_windows(registry, [](WindowId) { return false; })) << "nothing to close";
}

TEST(WindowRegistry, WindowLimitCountsTheFrameAsOne) {
    // Counter 1 + open documents; with limit 1 one document may be open.
    EXPECT_FALSE(window_limit_reached(1, 1));
    EXPECT_TRUE(window_limit_reached(2, 1));
    EXPECT_FALSE(window_limit_reached(30, 30));
    EXPECT_TRUE(window_limit_reached(31, 30));
}

// What a screen image window places and decides without drawing.
TEST(ScreenWindowLayout, OnlyAnUnsavedCaptureAsksOnClose) {
    EXPECT_TRUE(image::asks_to_save_on_close("Screen image1"));
    EXPECT_TRUE(image::asks_to_save_on_close("SCREEN IMAGE12"));
    EXPECT_FALSE(image::asks_to_save_on_close("Screen imag"));  // 11 characters
    EXPECT_TRUE(image::asks_to_save_on_close("Screen imageX"));
    EXPECT_FALSE(image::asks_to_save_on_close("Z:\\work\\Screen image1.bmp"));
    EXPECT_FALSE(image::asks_to_save_on_close("C:\\pic.g6i"));
    EXPECT_FALSE(image::asks_to_save_on_close(""));
    EXPECT_EQ(image::save_question("Screen image3"), "Save to Screen image3 ?");
}

TEST(OpeningTool, ParametersCarryTheFrameTheMessageAndTheSettingsFile) {
    EXPECT_EQ(opening_tool_parameters(0x1A2B, "C:\\Users\\u\\AppData\\TM-RZ4.INI"),
              "\n1a2b,407,42,\n \"C:\\Users\\u\\AppData\\TM-RZ4.INI\"");
    EXPECT_EQ(opening_tool_parameters(0, ".\\TM-RZ4.INI"), "\n0,407,42,\n \".\\TM-RZ4.INI\"");
    // A 64-bit handle is written whole.
    EXPECT_EQ(opening_tool_parameters(0xFFFFFFFF00000010ull, "x"),
              "\nffffffff00000010,407,42,\n \"x\"");
}

TEST(OpeningTool, ParametersStopAt519Characters) {
    const std::string long_path(600, 'p');
    const std::string parameters = opening_tool_parameters(0xABC, long_path);
    EXPECT_EQ(parameters.size(), 519u);
    EXPECT_EQ(parameters.substr(0, 15), "\nabc,407,42,\n \"");
    const std::string fits(519 - 17, 'q');  // 15 before the path, the closing quote after
    EXPECT_EQ(opening_tool_parameters(0xABC, fits).size(), 518u);
}

}  // namespace
}  // namespace travex
