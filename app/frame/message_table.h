#pragma once
// The messages of the error report: index, icon, and the string that holds the text.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace travex {

enum class MessageIcon { error, warning };

struct MessageEntry {
    int index;
    MessageIcon icon;
};

// Message indexes that callers name.
inline constexpr int kMessageNoMemory = 0;
inline constexpr int kMessageNoResponse = 4;
inline constexpr int kMessageFontNotInstalled = 17;
inline constexpr int kMessageWindowLimit = 24;
inline constexpr int kMessageUserAbort = 26;  // a cancelled transfer: never shown

// Longest text the report shows; longer strings are cut.
inline constexpr std::size_t kMessageTextLimit = 511;

// Every message in index order.
std::span<const MessageEntry> message_table();

// What the error report shows for a message index: the text and the icon, or nothing for a
// user abort, a negative index or an index without text.
struct MessageBoxContent {
    std::string_view text;
    MessageIcon icon;
};
std::optional<MessageBoxContent> error_report_content(int index);

// The title of every error report box.
inline constexpr std::string_view kErrorReportTitle = "ZELTA TRAVEX";

}  // namespace travex
