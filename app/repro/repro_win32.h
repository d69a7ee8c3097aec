#pragma once
// Tools > Repro: the modal firmware-update dialog 162 of the frame.
#include <windows.h>

namespace travex::win32 {

void ShowReproDialog(HWND frame);

}  // namespace travex::win32
