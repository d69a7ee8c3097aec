#pragma once
// The ten picture buttons of the toolbar: where they are, what they send, and when a press is
// ignored.
#include <cstdint>
#include <optional>
#include <span>

#include "resources/resource_ids.h"

namespace travex {

struct ToolbarButton {
    int x;  // left edge in the toolbar
    std::uint16_t command;
};

inline constexpr int kButtonWidth = 25;
inline constexpr int kButtonHeight = 22;
inline constexpr int kButtonTop = 3;
inline constexpr int kToolbarBitmap = IDB_TOOLBAR;  // normal images in row 0, pressed in row 1
inline constexpr std::size_t kHoverTextLimit = 19;

// Buttons in index order; the hover text of button i is string 300 + i.
std::span<const ToolbarButton> toolbar_buttons();

// The button whose hit rectangle (x to x + 25, y 2 to 24) holds the point, if any.
std::optional<int> button_at(int x, int y);

// What a press depends on.
struct ToolbarContext {
    bool save_enabled = false;
    bool editor_active = false;
    bool document_active = false;

    bool operator==(const ToolbarContext&) const = default;
};

// Save while saving is greyed, Cut, Copy and Paste without an active program editor, and Print
// without an active document are not pressed; such buttons are drawn faded.
bool press_ignored(int index, const ToolbarContext& context);

}  // namespace travex
