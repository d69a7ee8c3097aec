#include "window/window_registry.h"

#include <algorithm>

namespace travex {

void WindowRegistry::add(WindowId window, DocumentKind kind) {
    if (window == 0) {
        return;
    }
    auto free = std::find_if(entries_.begin(), entries_.end(),
                             [](const Entry& entry) { return entry.window == 0; });
    if (free == entries_.end()) {
        free = entries_.insert(entries_.end(), Entry{});
    }
    *free = Entry{window, kind, false};
}

void WindowRegistry::remove(WindowId window) {
    if (window == 0) {
        return;
    }
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [window](const Entry& entry) { return entry.window == window; });
    if (found != entries_.end()) {
        *found = Entry{};
    }
}

void WindowRegistry::activate(WindowId window, DocumentKind kind) {
    current_kind_ = kind;
    bool marked = false;
    for (Entry& entry : entries_) {
        if (entry.window == 0) {
            continue;
        }
        if (!marked && entry.window == window) {
            entry.active = true;
            marked = true;
        } else if (entry.kind == kind) {
            entry.active = false;
        }
    }
}

WindowId WindowRegistry::active(DocumentKind kind) const {
    const DocumentKind wanted = kind == DocumentKind::any ? current_kind_ : kind;
    if (wanted == DocumentKind::any) {
        return 0;
    }
    for (const Entry& entry : entries_) {
        if (entry.window != 0 && entry.active && entry.kind == wanted) {
            return entry.window;
        }
    }
    return 0;
}

WindowId WindowRegistry::next(WindowId skip, DocumentKind kind, std::size_t& position) const {
    for (std::size_t i = position; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (entry.window == 0 || entry.window == skip) {
            continue;
        }
        if (kind == DocumentKind::any || entry.kind == kind) {
            position = i;
            return entry.window;
        }
    }
    return 0;
}

std::size_t WindowRegistry::open_windows() const {
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(), [](const Entry& entry) { return entry.window != 0; }));
}

bool close_all_windows(const WindowRegistry& registry, const std::function<bool(WindowId)>& close) {
    std::size_t position = 0;
    while (const WindowId window = registry.next(0, DocumentKind::any, position)) {
        if (!close(window)) {
            return false;
        }
        ++position;
    }
    return true;
}

}  // namespace travex
