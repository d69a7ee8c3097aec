#pragma once
// The open document windows with their kind, and which one of each kind is active. Every
// part of the application finds the active document through it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace travex {

// A window handle as the registry keeps it; 0 is no window.
using WindowId = std::uintptr_t;

enum class DocumentKind : std::uint8_t {
    any = 0,
    program_editor = 1,
    screen_image = 2,
    slide_show = 3
};

class WindowRegistry {
public:
    // Enters a document window in the first free entry, growing the list when none is free.
    void add(WindowId window, DocumentKind kind);
    // Clears the first entry that holds the window.
    void remove(WindowId window);
    // Makes the window the active one of its kind and its kind the current document kind.
    void activate(WindowId window, DocumentKind kind);
    // The active window of a kind; for DocumentKind::any, of the current document kind.
    WindowId active(DocumentKind kind) const;
    // From index `position` on, the first window that is not `skip` and is of `kind` (any kind
    // for DocumentKind::any); its index is stored in `position`. 0 when there is none.
    WindowId next(WindowId skip, DocumentKind kind, std::size_t& position) const;

    DocumentKind current_kind() const { return current_kind_; }
    std::size_t open_windows() const;

private:
    struct Entry {
        WindowId window = 0;
        DocumentKind kind = DocumentKind::any;
        bool active = false;
    };
    std::vector<Entry> entries_;
    DocumentKind current_kind_ = DocumentKind::any;
};

// Closes every document window in registry order. `close` asks one window to close and
// answers false when its user cancelled (a save prompt answered Cancel); the walk then stops
// and the answer is false. Windows that close remove themselves from the registry.
bool close_all_windows(const WindowRegistry& registry, const std::function<bool(WindowId)>& close);

// The open-window counter is 1 plus the open documents; New, Open and Screen Capture are
// refused once it is above the limit, so at most `limit` documents are open.
inline bool window_limit_reached(int window_count, int limit) {
    return window_count > limit;
}

}  // namespace travex
