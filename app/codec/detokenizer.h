#pragma once
// Program token bytes -> calculator text (the editor's text of a program).
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "codec/text_limits.h"

namespace travex {

// Appends the text of every token up to the first zero byte (or the end of the span). Nothing is
// inserted between tokens; the line structure of the text is exactly the 0xFD tokens.
std::string detokenize(std::span<const std::uint8_t> tokens);

// As detokenize, but nullopt when the text would be longer than kMaxConvertedText bytes.
std::optional<std::string> detokenize_checked(std::span<const std::uint8_t> tokens);

}  // namespace travex
