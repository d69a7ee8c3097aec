#pragma once
// The application's side of the calculator link: link operations started from the Link menu
// and paced by timer 601, the Send Files and Receive Files dialogs, the transfer progress
// window, the Communication Port and Auto Setting dialogs, and the screen image windows.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "link/link_engine.h"
#include "print/print_layout.h"

namespace travex::win32 {

inline constexpr UINT_PTR kLinkTimer = 601;
// Posted to the frame for each port of an auto setting: wParam the error index, lParam 0 when
// the calculator answered, non-zero when the port failed.
inline constexpr UINT kAutoSettingResultMessage = WM_USER + 6;
inline constexpr int kAutoSettingCommand = 20028;

// Start(kind): opens the port of the setting, disables the frame and arms timer 601.
void StartLinkOperation(HWND frame, link::LinkOperation op);
// Timer 601 on the frame or on a transfer dialog.
void HandleLinkTimer(HWND window);
// Milliseconds the last transfer of files or items took (the transfer proper).
std::uint64_t LinkTransferTime();
// Whether an operation holds the link (a second one is not started meanwhile).
bool LinkBusy();

// The transfer dialogs, run modally when the directory is in.
void RunSendFilesDialog(HWND frame);
void RunReceiveFilesDialog(HWND frame);
// The dialog that carries timer 601 while files travel (empty when none).
HWND transfer_dialog();
// The transfer dialogs tell the shell when they open and when they have closed.
void transfer_dialog_opened(HWND dialog);
void transfer_dialog_closed();
// Starts the chosen transfer from the dialog's OK (the dialog carries the timer from now on).
void StartSending(HWND dialog, const std::vector<std::string>& paths);
void StartReceiving(HWND dialog, const std::vector<int>& item_indexes, const std::string& folder);
// The calculator's items as the receive dialog lists them.
std::vector<std::string> receive_item_lines();
std::vector<int> receive_items_of_category(int category_choice);

// The transfer progress window (class PCRunWClass).
LRESULT CALLBACK progress_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
// The progress window as the link engine and the transfer flow drive it.
link::ProgressSink& progress_window();
// Puts the progress window back on top (after a modal question).
void raise_progress_window();

// Communication Port (161) and its Auto Setting (163).
void RunCommunicationPortDialog(HWND frame);
void AutoSettingCommand(HWND frame);
void AutoSettingResult(HWND frame, WPARAM w, LPARAM l);
void AutoSettingStep();

// Screen image windows (PCScrWClass with its PCImgWClass picture child).
LRESULT CALLBACK screen_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
LRESULT CALLBACK picture_pane_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
// A captured screen: the link's payload and the calculator's two identifier bytes.
bool OpenCapturedScreen(const Bytes& payload, const std::uint8_t identifier[2]);
bool OpenPictureFile(HWND frame, const std::string& path);
bool OpenBitmapFile(HWND frame, const std::string& path);
bool is_screen_window(HWND window);
void CopyScreenImage(HWND window);
bool SaveScreenImage(HWND window, const std::string& path);
// What File > Print lays out for a screen image window: the picture at the window's zoom.
std::optional<print::PrintLayout> ScreenImagePrintLayout(HWND window);

}  // namespace travex::win32
