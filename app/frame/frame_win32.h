#pragma once
// The Win32 shell of the application frame: the entry points of start-up, frame, file and
// print commands, calculator font and About box. The state shared by all windows is in
// window/app_state_win32.h.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "base/message_id.h"
#include "files/file_questions.h"
#include "print/print_layout.h"
#include "settings/settings.h"
#include "window/app_state_win32.h"

namespace travex::win32 {

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

// Creates the toolbar, status bar and MDI client of the frame; false on any failure.
bool create_frame_children(HWND frame);

// The status bar line: "Ready" or a help text.
void show_status_text(const std::wstring& text);
// Height of the status bar for the frame's default font.
int status_bar_height(HWND frame);

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

}  // namespace travex::win32
