#pragma once
// Tools > Repro: the modal firmware-update dialog 162 over the given owner window.
#include <windows.h>

#include "base/message_id.h"

namespace travex::win32 {

// The application's error report, for the messages of the file dialog.
using ReportFunction = void (*)(HWND owner, MessageId message);

// port_number: the COM port the update uses (CommPort, 1-based).
void ShowReproDialog(HWND owner, int port_number, ReportFunction report);

}  // namespace travex::win32
