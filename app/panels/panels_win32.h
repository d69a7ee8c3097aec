#pragma once
// The Win32 shell of the two panels that type into the active editor: the function table and
// the keyboard panel.
#include <windows.h>

namespace travex::win32 {

// The function-table window: opened or refilled for a group; answers the window.
HWND open_function_table(int group);
LRESULT CALLBACK function_table_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

// The keyboard panel: created at start-up when the keyboard flag is on and by View > Key Board.
HWND create_keyboard_panel();
LRESULT CALLBACK keyboard_panel_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

}  // namespace travex::win32
