#pragma once
// The messages that group files, screen images and slide shows report when a file cannot be
// read or written, by string id (the error report shows string id − 400 as its index).
#include <cstddef>
#include <string_view>

namespace travex {

inline constexpr int kMsgNone = 0;
inline constexpr int kMsgNoMemory = 400;
inline constexpr int kMsgFileAccessFailed = 410;
inline constexpr int kMsgNotGroupFile = 411;
inline constexpr int kMsgNoBitmapData = 413;
inline constexpr int kMsgCannotRead = 415;
inline constexpr int kMsgNotSlideShow = 418;
inline constexpr int kMsgDiskFull = 419;
inline constexpr int kMsgNoData = 421;
inline constexpr int kMsgCannotCreate = 427;
inline constexpr int kMsgNameTooLong = 428;

// Paths of this many characters or more are refused with kMsgNameTooLong.
inline constexpr std::size_t kPathLimit = 256;

}  // namespace travex
