#pragma once
// The calculator file: a 54-byte header (model digit, type letter, 11-byte item name, 40-byte
// title, one zero byte) followed by the item's body. This module reads a file for sending (it
// yields the transfer payload the link layer sends), builds a file from a received payload and
// writes files so that a failure never destroys an existing one.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include "base/message_id.h"

#include "base/bytes.h"
#include "base/file_system.h"
#include "files/file_types.h"
#include "files/model_table.h"

namespace travex {

inline constexpr std::size_t kHeaderSize = 54;
inline constexpr std::size_t kItemNameSize = 11;
using ItemName = std::array<std::uint8_t, kItemNameSize>;

// Paths this long or longer are refused (message 428).
inline constexpr std::size_t kMaxPathLength = 256;

// Results of the file layer.
enum class FileResult : int {
    too_short_for_type = 8,
    ok = 10,
    exists = 11,
    failure = 12,  // cannot open, read, allocate or write
    wrong_model = 13,
    not_transferable = 14,
    shorter_than_header = 15,
    type_letter_mismatch = 16,
};

// A short English description of a result, e.g. "file too short for its type".
std::string_view describe(FileResult result);

struct FileHeader {
    std::uint8_t model_digit = 0;
    std::uint8_t type_letter = 0;
    ItemName name{};
    Title title{};
    std::uint8_t reserved = 0;  // always 0 in files this application writes
};

// The header of a file image, or nullopt when it is shorter than the header.
std::optional<FileHeader> parse_header(std::span<const std::uint8_t> file);
// The 54 header bytes.
std::array<std::uint8_t, kHeaderSize> build_header(const FileHeader& header);

// An item name of eleven spaces (backups and setup items).
ItemName spaces_item_name();
// The item name of an item addressed by variable code: index byte, prefix byte, nine spaces.
ItemName variable_code_item_name(std::uint16_t variable_code);
// The item name holding text, cut at 11 bytes and zero-padded.
ItemName make_item_name(std::string_view text);

// Result of reading a file for sending.
struct SendableFile {
    FileResult result = FileResult::failure;
    std::uint8_t send_class = 0;  // set from result 14 on
    Bytes payload;                // set on success
    // The header's name, kept for the link layer for items of send class 0x22.
    std::optional<ItemName> item_name;
};

// Reads and checks the file at path and builds its transfer payload. The checks run in this
// order: cannot open / empty / cannot read (12), header type letter differs from the path's
// last character ignoring case (16), shorter than the header (15), not a transferable type
// (14), too short for its type (8), wrong model digit (13; no check under model code 4).
SendableFile read_file_for_sending(FileSystem& fs, const std::string& path,
                                   int model_code = kRunningModelCode);

// The transfer payload of a file image of the given type letter; nullopt when the file is
// shorter than the header, the type is never sent, or the body is too short for the type.
std::optional<Bytes> payload_from_file(std::span<const std::uint8_t> file, char type_letter);

// The file body that a payload received from the calculator becomes (programs drop the first
// byte of the payload, every other type keeps it as it is); nullopt for a program payload
// without that byte or a type that is never received.
std::optional<Bytes> body_from_received_payload(std::span<const std::uint8_t> payload,
                                                char type_letter);

// The file image for a received payload: header bytes 0-1 are the last two characters of the
// path (model digit and type letter), then the item name, the title, a zero byte and the body.
// nullopt when the path is shorter than two characters or the payload does not fit its type.
std::optional<Bytes> build_file_from_payload(std::string_view path,
                                             std::span<const std::uint8_t> payload,
                                             const ItemName& item_name, const Title& title);

// True for a path that the writer refuses for its length.
bool path_too_long(std::string_view path);

// Writes the whole file through FileSystem::write_file_atomic. Results: ok (10); exists (11)
// when the file can be read and overwrite_all is not set (nothing written); failure (12) when
// the path is too long (the caller shows message 428) or the write fails (an existing file is
// then left as it was).
FileResult write_file(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes,
                      bool overwrite_all);

// True when the volume of path has at least bytes_needed free; an unknown amount does not
// block (the write itself never destroys an existing file).
bool has_free_space(FileSystem& fs, const std::string& path, std::uint64_t bytes_needed);

// The message the send flow shows for a failed read: 406 for 13 and 16, 407 for 14, 408 for
// any other failure; 0 for success.
MessageId send_failure_message(FileResult result);

}  // namespace travex
