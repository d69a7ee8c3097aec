#pragma once
// The size limit of converted calculator text and token strings.
#include <cstddef>

namespace travex {

// A converted text (a detokenized program, a tokenized program, an exported data file) is held
// in one block of this many bytes plus its terminator. Conversions that would produce more are
// refused as a whole by their checked forms; nothing is ever cut to fit.
inline constexpr std::size_t kMaxConvertedText = 51200;

}  // namespace travex
