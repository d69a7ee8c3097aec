#pragma once
// What every window of the application shares: the one state record (handles of the frame and
// its children, the settings, the open documents), the error report, the application's strings
// and the placing of dialogs. The window code of every folder above this one builds on it.
#include <windows.h>

#include <string>

#include "base/message_id.h"
#include "settings/settings.h"
#include "window/window_registry.h"

namespace travex::win32 {

// The application's one state record (user-interface thread only).
struct AppState {
    HINSTANCE instance = nullptr;
    HWND frame = nullptr;
    HWND mdi_client = nullptr;
    HWND toolbar = nullptr;
    HWND status_bar = nullptr;
    HWND keyboard_panel = nullptr;
    HWND function_table = nullptr;
    HWND modeless_dialog = nullptr;
    HMENU no_document_menu = nullptr;
    HMENU document_menu = nullptr;
    int window_count = 1;  // 1 plus the open document windows
    int function_group = 1;
    Settings settings;  // window limit, font size, toolbar and keyboard flags, ...
    bool save_enabled = false;
    UINT find_replace_message = 0;
    WindowRegistry documents;
    // The frame's File > Save As for a document window, set at start-up; a closing editor
    // whose text has no file of its own keeps it through this. False when nothing was written.
    bool (*save_as)(HWND owner, HWND document) = nullptr;
    // The frame's toolbar redraw, set at start-up: a button that turns on or off (Save) is
    // repainted at once rather than with the next message.
    void (*refresh_toolbar)() = nullptr;
};
AppState& app_state();

// The one error report: a task-modal box titled "ZELTA TRAVEX" with the message's text and the
// icon of its index.
void ReportError(HWND owner, MessageId message);

// A string resource of the application (the running module), empty when it has none.
std::wstring load_string(UINT id);

// Moves a window, size unchanged, to the middle of the screen.
void centre_on_screen(HWND window);

}  // namespace travex::win32
