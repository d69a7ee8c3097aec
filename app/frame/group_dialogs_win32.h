#pragma once
// Tools > Group Files and Tools > Ungroup Files.
#include <windows.h>

namespace travex::win32 {

// Collects files in the Group File dialog and writes them into a group file.
void GroupFilesCommand(HWND frame);
// Chooses a group file and a folder and unpacks the group there.
void UngroupFilesCommand(HWND frame);

}  // namespace travex::win32
