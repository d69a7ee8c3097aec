#pragma once
// Strings of the application's STRINGTABLE resource, read by id at run time from the module
// that holds them.
#include <windows.h>

#include <string>

namespace travex::win32 {

// The string resource id of module, empty when it has none.
std::wstring load_string(HINSTANCE module, UINT id);

}  // namespace travex::win32
