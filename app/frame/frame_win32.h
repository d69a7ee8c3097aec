#pragma once
// The Win32 shell of the application frame: the state shared by its windows and the entry
// points of start-up, frame, error report, calculator font and About box.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "base/message_id.h"
#include "files/file_questions.h"
#include "frame/window_registry.h"
#include "print/print_layout.h"
#include "settings/settings.h"

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
};
AppState& app_state();

// Fixed geometry and child ids.
inline constexpr int kToolbarHeight = 28;
inline constexpr int kToolbarId = 48;
inline constexpr int kHoverLabelId = 60;
inline constexpr int kStatusBarId = 64;
inline constexpr int kMdiClientId = 16;
inline constexpr int kFirstMdiChildId = 208;

// The settings file: read at start-up into AppState, written when the frame closes.
std::string settings_path();
void read_settings_file();
void write_settings_file();

// Window classes (table order); false when one fails to register.
bool register_window_classes(HINSTANCE instance);

LRESULT CALLBACK frame_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
LRESULT CALLBACK toolbar_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
// Repaints the toolbar when what its buttons can do has changed since it was drawn (a document
// opened or closed, Save turned on or off), so that no button looks pressable when it is not.
void RefreshToolbar();
LRESULT CALLBACK status_bar_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

// The function-table window: opened or refilled for a group; answers the window.
HWND open_function_table(int group);
LRESULT CALLBACK function_table_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

// The keyboard panel: created at start-up when the keyboard flag is on and by View > Key Board.
HWND create_keyboard_panel();
LRESULT CALLBACK keyboard_panel_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

// Creates the toolbar, status bar and MDI client of the frame; false on any failure.
bool create_frame_children(HWND frame);

// The status bar line: "Ready" or a help text.
void show_status_text(const std::wstring& text);
// Height of the status bar for the frame's default font.
int status_bar_height(HWND frame);

// The one error report: a task-modal box titled "ZELTA TRAVEX" with the message's text and the
// icon of its index.
void ReportError(HWND owner, MessageId message);

// Adds the calculator font beside the executable for this run (true) or removes it (false).
void InstallFont(bool on);

// File > Open: the open dialog and the window for the chosen file's kind.
void open_file_command(HWND frame);
// File > Save As for a document window; false when the user cancelled or nothing was written.
bool save_as_command(HWND owner, HWND document);

// The file questions as the user sees them: the file-exists dialog (IDD_FILE_EXISTS), the
// skip dialog (IDD_SKIP) and the error report, all owned by one window.
class DialogQuestions final : public FileQuestions {
public:
    explicit DialogQuestions(HWND owner) : owner_(owner) {}
    OverwriteAnswer ask_overwrite(std::string_view path) override;
    SkipAnswer ask_skip(MessageId message, std::string_view path) override;
    void report(MessageId message) override;

private:
    HWND owner_;
};
// Moves a window, size unchanged, to the middle of the screen.
void centre_on_screen(HWND window);

// File > Print (20007) for the active document window and File > Print Setup (20008). The
// printer settings chosen in Print Setup are kept until ReleasePrinterSettings (frame
// destruction).
void Print(HWND owner);
void PrintSetup(HWND owner);
void ReleasePrinterSettings();
bool printer_settings_kept();
// What a document window of a kind other than the program editor prints: screen image and
// slide show windows register theirs. Nothing when the window cannot be printed.
using DocumentPrinter = std::function<std::optional<print::PrintLayout>(HWND window)>;
void set_document_printer(DocumentKind kind, DocumentPrinter printer);

// The modal About box.
void ShowAbout(HWND owner);

// The folder of the running executable, without a trailing backslash.
std::string application_folder();

// A string resource of the application (the running module), empty when it has none.
std::wstring load_string(UINT id);

}  // namespace travex::win32
