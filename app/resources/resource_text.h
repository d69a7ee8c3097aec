#pragma once
// Calculator text as it is kept in the resources. The string table holds 16-bit strings; a
// calculator glyph byte is stored as the code unit of the same value, and the loader accepts
// the other stored forms of calculator text as well (half-width forms, U+F8F2).
#include <optional>
#include <string>
#include <string_view>

namespace travex {

// The 16-bit form in which a calculator text is stored in the resources.
std::u16string resource_form(std::string_view calculator_text);

// A stored 16-bit string turned back into calculator bytes: a code unit below 0x100 is its own
// byte, U+F8F2 is 0xFE, a code unit from U+FF01 up is its low byte + 0x40 (modulo 256), so the
// half-width forms U+FF61-U+FF9F give 0xA1-0xDF. Any other code unit makes the whole string
// unloadable (nothing).
std::optional<std::string> calculator_text_from_resource(std::u16string_view stored);

// The STRINGTABLE statement of the resource script, with every string of the string table.
std::string string_table_resource_script();

}  // namespace travex
