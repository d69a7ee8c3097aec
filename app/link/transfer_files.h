#pragma once
// Calculator files as the link needs them, on top of the file container: the category, codes
// and title of a type letter, a file read for sending, and the payload of a file image.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "base/file_system.h"
#include "files/calc_file.h"
#include "link/link_packets.h"

namespace travex::link {

inline constexpr std::size_t kFileHeaderLength = travex::kHeaderSize;

struct FileType {
    char letter;
    std::string_view category;  // type name the link sends; empty for setup types
    std::uint8_t send_class;    // announcement code; 0 for no link transfer
    std::uint8_t request;       // receive request code
    std::string_view default_title;
};

// The entry of a type letter (either case); nullopt for letters that are no file type.
std::optional<FileType> file_type(char letter);

struct SendableFile {
    FileResult result = FileResult::failure;
    Bytes payload;
    ItemName item_name{};
    std::uint8_t send_class = 0;
    char type_letter = 0;
};

// Checks the file at path and builds its transfer payload.
SendableFile read_file_for_sending(FileSystem& fs, const std::string& path, int model_code);

// The transfer payload of a file image by the type letter in its header, or nullopt.
std::optional<Bytes> payload_of_image(const Bytes& image);

}  // namespace travex::link
