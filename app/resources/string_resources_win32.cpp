// Strings of the application's STRINGTABLE resource, read by id at run time.
#include <windows.h>

#include "frame/frame_win32.h"

namespace travex::win32 {

std::wstring load_string(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW answers a pointer into the resource itself.
    const int length = LoadStringW(app_state().instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<std::size_t>(length));
}

}  // namespace travex::win32
