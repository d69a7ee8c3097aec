#pragma once
// The Win32 shell of the program editor: the editor windows, their fonts, and the Find and
// Replace dialogs shared by all of them.
#include <windows.h>

#include <string>

namespace travex::win32 {

// The calculator font at a point size (text box, title box, find and replace boxes).
HFONT calculator_font(int point_size);

// Child ids of an editor's two boxes.
inline constexpr int kTitleBoxId = 81;
inline constexpr int kTextBoxId = 82;

// A new untitled editor (New, start-up, and Open before loading); nullptr on failure.
HWND CreateEditor();
// Moves an editor to where a new one would go now: beside the keyboard panel, filling the MDI
// client (used for the start-up editor once the frame's layout has settled).
void PlaceEditor(HWND editor);
// Fills a freshly created editor from a file; on failure reports the message and closes it.
bool LoadIntoEditor(const std::string& path, HWND editor);
// Writes the editor to path; Save keeps the calculator name, Save As takes it from the path.
// False, after reporting the message, when nothing was written.
bool SaveEditor(const std::string& path, HWND editor, bool keep_name);
// Rebuilds the text box's font from the current font-size index.
void SetEditorFont(HWND editor);
// Replaces the active editor's selection with calculator text and focuses its text box.
void InsertIntoActiveEditor(const std::string& calculator_text);
void FocusActiveEditor();

// The active program editor, or nullptr when none is open.
HWND active_editor();

// An edit box's whole text as calculator text (one byte per character, so positions carry
// over), and its selection replaced by calculator text.
std::string edit_box_text(HWND box);
void replace_edit_selection(HWND box, const std::string& calculator_text, bool can_undo);
// Calculator text as the wide text the calculator font draws.
std::wstring calculator_wide_text(const std::string& calculator_text);

// What the frame's commands need to know about an editor.
bool is_editor(HWND window);
std::string editor_path(HWND editor);
int editor_kind(HWND editor);  // file kind: 0 untitled, 1 program, 4-10 data, 11 text
HWND editor_text_box(HWND editor);
HWND editor_title_box(HWND editor);

// File > Save: enables or greys the menu item and keeps the flag.
void SetSaveEnabled(bool enabled);

// Find and Replace (commands 20015, 20016) and the registered find/replace message.
void OpenFind();
void OpenReplace();
void HandleFindMessage(LPARAM l);
// Frees the find state's text copy (frame destruction).
void ReleaseFindState();

LRESULT CALLBACK editor_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

}  // namespace travex::win32
