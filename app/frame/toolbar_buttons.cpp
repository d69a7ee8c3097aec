#include "frame/toolbar_buttons.h"

namespace travex {
namespace {

constexpr ToolbarButton kButtons[] = {
    {12, 20001},   // New
    {37, 20002},   // Open
    {62, 20004},   // Save
    {99, 20007},   // Print
    {136, 20012},  // Cut
    {161, 20013},  // Copy
    {186, 20014},  // Paste
    {223, 20023},  // Screen Capture
    {260, 20022},  // Receive
    {285, 20021},  // Send
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
