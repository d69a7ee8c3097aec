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

// The text of one of the messages above; empty for any other id.
constexpr std::string_view file_message_text(int id) {
    switch (id) {
        case kMsgNoMemory:
            return "Insufficient free memory.";
        case kMsgFileAccessFailed:
            return "Access to the file has failed.";
        case kMsgNotGroupFile:
            return "Specified file is not a group file.";
        case kMsgNoBitmapData:
            return "There is no bit-map data to display.";
        case kMsgCannotRead:
            return "Specified file cannot be read.";
        case kMsgNotSlideShow:
            return "Specified file is not a SLIDE SHOW file.";
        case kMsgDiskFull:
            return "Insufficient free disk space.";
        case kMsgNoData:
            return "The specified file contains no data.";
        case kMsgCannotCreate:
            return "Specified file cannot be created.";
        case kMsgNameTooLong:
            return "Specified file name is too long.";
        default:
            return {};
    }
}

// Paths of this many characters or more are refused with kMsgNameTooLong.
inline constexpr std::size_t kPathLimit = 256;

}  // namespace travex
