#pragma once
// The one vocabulary of what the application tells the user: the ids of the string table's
// messages. Every layer answers a failure as one of these; the error report shows the text of
// the id with the icon of its index (id − 400), and travex-cli prints the same text.
#include <cstdint>

namespace travex {

enum class MessageId : std::uint16_t {
    none = 0,  // nothing to report
    no_memory = 400,
    port_in_use = 401,
    no_such_port = 402,
    port_error = 403,
    no_response = 404,
    communication_failed = 405,
    incorrect_file = 406,
    not_transmittable = 407,
    not_travex_format = 408,
    not_transmittable_extension = 409,
    file_access_failed = 410,
    not_group_file = 411,
    one_slide_show_only = 412,
    no_bitmap_data = 413,
    incorrect_model = 414,
    cannot_read = 415,
    no_corresponding_data = 416,
    font_not_installed = 417,
    not_slide_show = 418,
    disk_full = 419,
    calculator_memory_over = 420,
    no_data = 421,
    backup_with_data = 422,
    send_overwrites = 423,
    window_limit = 424,
    check_cable = 425,
    user_abort = 426,  // a cancelled transfer: never shown
    cannot_create = 427,
    name_too_long = 428,
    program_too_long = 429,
    text_too_large = 430,
    no_printer = 431,
};

// The first and last message ids; the error report's index of an id is id − kFirstMessage.
inline constexpr MessageId kFirstMessage = MessageId::no_memory;
inline constexpr MessageId kLastMessage = MessageId::no_printer;

// The string-table id of a message.
constexpr std::uint16_t string_id(MessageId id) {
    return static_cast<std::uint16_t>(id);
}

// The error report's index of a message (0 for no_memory); -1 for none.
constexpr int message_index(MessageId id) {
    return id == MessageId::none ? -1 : static_cast<int>(id) - static_cast<int>(kFirstMessage);
}

// The message of an error-report index 0..31 (link error codes are such indexes); none outside.
constexpr MessageId message_of_index(int index) {
    const int last = message_index(kLastMessage);
    return index < 0 || index > last
               ? MessageId::none
               : static_cast<MessageId>(static_cast<int>(kFirstMessage) + index);
}

}  // namespace travex
