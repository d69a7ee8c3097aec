#include "window/message_table.h"

#include "resources/string_table.h"

namespace travex {
namespace {

using enum MessageIcon;

constexpr MessageEntry kMessages[] = {
    {0, error},    {1, warning},  {2, warning},  {3, warning},  {4, error},    {5, error},
    {6, warning},  {7, warning},  {8, warning},  {9, warning},  {10, error},   {11, warning},
    {12, warning}, {13, warning}, {14, warning}, {15, warning}, {16, warning}, {17, warning},
    {18, warning}, {19, error},   {20, warning}, {21, warning}, {22, warning}, {23, warning},
    {24, warning}, {25, error},   {26, warning}, {27, error},   {28, error},   {29, error},
    {30, warning}, {31, warning},
};

}  // namespace

std::span<const MessageEntry> message_table() {
    return kMessages;
}

std::optional<MessageBoxContent> error_report_content(MessageId message) {
    if (message == MessageId::none || message == MessageId::user_abort) {
        return std::nullopt;
    }
    const auto text = string_text(string_id(message));
    if (!text) {
        return std::nullopt;
    }
    MessageIcon icon = warning;
    const int index = message_index(message);
    if (index >= 0 && static_cast<std::size_t>(index) < std::size(kMessages)) {
        icon = kMessages[index].icon;
    }
    return MessageBoxContent{text->substr(0, kMessageTextLimit), icon};
}

}  // namespace travex
