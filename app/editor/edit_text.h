#pragma once
// Calculator text as the Windows edit boxes hold it. Every calculator byte is one UTF-16 unit:
// bytes below 0x80 are themselves (so typed ASCII and the find text match loaded text), bytes
// 0x80-0xFF sit in the private-use area at U+F080-U+F0FF, where the symbol-encoded calculator
// font draws their glyphs. The mapping never goes through the ANSI code page, so the bytes
// survive whatever code page Windows runs with, and positions in the box are byte positions.
#include <string>
#include <string_view>

namespace travex {

inline constexpr char16_t kCalculatorGlyphBase = 0xF000;

std::u16string to_edit_text(std::string_view calculator_text);

// The reverse. U+F000-U+F0FF and U+0000-U+00FF give their low byte; any other unit (text pasted
// from elsewhere) cannot be a calculator byte and becomes '?', still one byte per unit.
std::string from_edit_text(std::u16string_view edit_text);

}  // namespace travex
