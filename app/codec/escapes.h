#pragma once
// The @name@ escapes of plain text files, which carry calculator glyphs outside the calculator
// font: @theta@ is byte 0xA9, @intdiv@ is "int" + 0xB6, @xyi@ is "x" 0xCF "yi".
#include <string>
#include <string_view>

namespace travex {

// Text file -> calculator text.
std::string decode_escapes(std::string_view text);

// Calculator text -> text file. Glyph bytes without a name are dropped.
std::string encode_escapes(std::string_view calculator_text);

}  // namespace travex
