// Strings of the application's STRINGTABLE resource, read by id at run time.
#include "resources/string_resources_win32.h"

namespace travex::win32 {

std::wstring load_string(HINSTANCE module, UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW answers a pointer into the resource itself.
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<std::size_t>(length));
}

}  // namespace travex::win32
