#pragma once
// Calculator text -> program token bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codec/text_limits.h"

namespace travex {

// The longest line of a program in token bytes; a longer line is broken before the token that
// would overflow it.
inline constexpr std::size_t kMaxLineTokenBytes = 160;

struct TokenMatch {
    std::uint16_t code;  // low byte first token byte, high byte second (0 for one-byte tokens)
    std::size_t length;  // characters of text consumed (at least 1)
};

// The token at text[pos] (pos < text.size()): the longest table entry the text starts with
// there, or one character by the fallback rule when no entry matches. At or beyond the end of
// the text the answer is {0, 0}.
TokenMatch match_token(std::string_view text, std::size_t pos);

// Token bytes of a whole text, without a terminating zero and without the 0xFD 0xFF trailer that
// a saved program file carries.
std::string tokenize(std::string_view text);

// As tokenize, but nullopt when the token bytes would be longer than kMaxConvertedText.
std::optional<std::string> tokenize_checked(std::string_view text);

}  // namespace travex
