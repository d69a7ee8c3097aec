#pragma once
// Tools > Group Files and Tools > Ungroup Files.
#include <windows.h>

namespace travex::win32 {

// Controls that the Group File dialog (30000) adds to the file dialog.
inline constexpr int kSelectedList = 1200;
inline constexpr int kSelectButton = 1201;
inline constexpr int kSelectAllButton = 1202;
inline constexpr int kRemoveButton = 1203;
inline constexpr int kRemoveAllButton = 1204;

// Collects files in the Group File dialog and writes them into a group file.
void GroupFilesCommand(HWND frame);
// Chooses a group file and a folder and unpacks the group there.
void UngroupFilesCommand(HWND frame);

}  // namespace travex::win32
