#pragma once
// What group files, screen images and slide shows report when a file cannot be read or
// written: a MessageId, and the path length that no file name may reach.
#include <cstddef>

#include "base/message_id.h"

namespace travex {

// Paths of this many characters or more are refused with MessageId::name_too_long.
inline constexpr std::size_t kPathLimit = 256;

}  // namespace travex
