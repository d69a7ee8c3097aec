#pragma once
// Calculator files as the link sees them: the fifteen type letters with their link constants,
// reading a file for sending (checks, transfer payload, item name, announcement code),
// building a file from a received payload, and the file name of a received item.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "base/file_system.h"
#include "link/link_packets.h"

namespace travex::link {

inline constexpr std::size_t kFileHeaderLength = 54;

enum class HeaderName { spaces, item_name, variable_code, none };

struct FileType {
    char letter;
    std::string_view category;  // type name the link sends; empty for setup types
    std::uint8_t send_class;    // announcement code; 0 for no link transfer
    std::uint8_t request;       // receive request code
    std::string_view default_title;
    HeaderName header_name;
};

// The entry of a type letter (either case); nullopt for letters that are no file type.
std::optional<FileType> file_type(char letter);

// File layer results.
namespace file_result {
inline constexpr int kTooShortForType = 8;
inline constexpr int kOk = 10;
inline constexpr int kExists = 11;
inline constexpr int kFailure = 12;
inline constexpr int kWrongModel = 13;
inline constexpr int kNotTransferable = 14;
inline constexpr int kShorterThanHeader = 15;
inline constexpr int kLetterMismatch = 16;
}  // namespace file_result

struct SendableFile {
    int result = file_result::kFailure;
    Bytes payload;
    ItemName item_name{};
    std::uint8_t send_class = 0;
    char type_letter = 0;
};

// Checks a file image and builds its transfer payload (path gives the extension).
SendableFile file_for_sending(std::string_view path, const Bytes& image, int model_code);
SendableFile read_file_for_sending(FileSystem& fs, const std::string& path, int model_code);

// The transfer payload of a file image whose header carries the given type letter, or nullopt
// when the image is too short; used by the simulated calculator to load files.
std::optional<Bytes> payload_of_image(const Bytes& image);

// A whole file image from a received payload: header bytes 0-1 from the last two characters
// of the file name, then item name, title, zero, and the body.
Bytes build_received_file(std::string_view file_name, const Bytes& payload,
                          const ItemName& item_name, std::string_view title);

// "mat_a.g6m": base name from the item's name (token text for variable codes), then "."
// "g", the model digit and the type letter, all in small letters.
std::string received_file_name(std::string_view item_name, char model_digit, char type_letter);

// The name a variable code goes by (code = prefix * 256 + index).
std::string variable_code_name(std::uint16_t code);

}  // namespace travex::link
