#include "frame/toolbar_buttons.h"

#include "resources/resource_ids.h"

namespace travex {
namespace {

constexpr ToolbarButton kButtons[] = {
    {12, IDM_NEW},              // New
    {37, IDM_OPEN},             // Open
    {62, IDM_SAVE},             // Save
    {99, IDM_PRINT},            // Print
    {136, IDM_CUT},             // Cut
    {161, IDM_COPY},            // Copy
    {186, IDM_PASTE},           // Paste
    {223, IDM_SCREEN_CAPTURE},  // Screen Capture
    {260, IDM_RECEIVE},         // Receive
    {285, IDM_SEND},            // Send
};

constexpr int kSave = 2;
constexpr int kPrint = 3;
constexpr int kCut = 4;
constexpr int kPaste = 6;

}  // namespace

std::span<const ToolbarButton> toolbar_buttons() {
    return kButtons;
}

std::optional<int> button_at(int x, int y) {
    if (y < 2 || y >= 24) {
        return std::nullopt;
    }
    for (int i = 0; i < static_cast<int>(std::size(kButtons)); ++i) {
        if (x >= kButtons[i].x && x < kButtons[i].x + kButtonWidth) {
            return i;
        }
    }
    return std::nullopt;
}

bool press_ignored(int index, const ToolbarContext& context) {
    if (index == kSave) {
        return !context.save_enabled;
    }
    if (index >= kCut && index <= kPaste) {
        return !context.editor_active;
    }
    if (index == kPrint) {
        return !context.document_active;
    }
    return false;
}

}  // namespace travex
