#pragma once
// What every document window (program editor, slide show, screen image) does alike as an MDI
// child: entering the open-window count and the registry when it is made, showing the document
// menu when it becomes active, and asking about unsaved work before it closes and leaving the
// count and the registry when it goes.
#include <windows.h>

#include <functional>
#include <string>

#include "window/window_registry.h"

namespace travex::win32 {

// A new document window: one more open window, entered in the registry with its kind.
void enter_document_window(HWND window, DocumentKind kind);

// The window becomes the active document of its kind and the frame shows the document menu.
void activate_document_window(HWND window, DocumentKind kind);

// The question of a closing window with unsaved work ("Save Changes to ... ?"): Yes runs
// `save`, No closes without saving. True when the window may close; false on Cancel, or when
// `save` wrote nothing, so that the work is not lost with the window.
bool may_close_after_asking(HWND window, const std::string& question,
                            const std::function<bool()>& save);

// True while the window closing would be the last open document.
bool closing_last_document();

// Takes a closing document window out of the count and the registry and destroys it, the next
// document becoming active; after the last one the frame shows the menu for no document.
void close_document_window(HWND window);

}  // namespace travex::win32
