#pragma once
// Calculator text as it is kept in the resources. The string table holds 16-bit strings; a
// calculator glyph byte is stored as the code unit of the same value, which the loader
// (load_calculator_text in codec/charset.h) turns back into the byte.
#include <string>
#include <string_view>

namespace travex {

// The 16-bit form in which a calculator text is stored in the resources.
std::u16string resource_form(std::string_view calculator_text);

// The STRINGTABLE statement of the resource script, with every string of the string table.
std::string string_table_resource_script();

}  // namespace travex
