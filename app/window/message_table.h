#pragma once
// The messages of the error report: index, icon, and the string that holds the text.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include "base/message_id.h"

namespace travex {

enum class MessageIcon { error, warning };

struct MessageEntry {
    int index;
    MessageIcon icon;
};

// Longest text the report shows; longer strings are cut.
inline constexpr std::size_t kMessageTextLimit = 511;

// Every message in index order.
std::span<const MessageEntry> message_table();

// What the error report shows for a message: the text and the icon of its index, or nothing
// for none, a user abort or a message without text.
struct MessageBoxContent {
    std::string_view text;
    MessageIcon icon;
};
std::optional<MessageBoxContent> error_report_content(MessageId message);

// The title of every error report box.
inline constexpr std::string_view kErrorReportTitle = "ZELTA TRAVEX";

}  // namespace travex
