#pragma once
// The checks a firmware image passes before any byte of it goes to the calculator, in their
// order: the file opens, its name is "rq7310_ver" + three digits + ".bin", the model field reads
// "7300", the image is long enough for the layout, and its 16-bit sum matches the stored one.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "base/file_system.h"
#include "repro/flash_layout.h"
#include "repro/repro_messages.h"

namespace travex::repro {

// The three version digits of the image's name, most significant first.
using FirmwareVersion = std::array<char, 3>;

inline constexpr std::string_view kImageNamePrefix = "rq7310_ver";
inline constexpr std::string_view kImageNameExtension = ".bin";
inline constexpr std::size_t kImageNameLength = 17;
inline constexpr std::size_t kModelFieldOffset = 11903;
inline constexpr std::string_view kModelField = "7300";

// The name without its folder (either slash ends a folder).
std::string_view image_file_name(std::string_view path);

// The version the name carries, or nothing when the name is not one of a firmware image: 17
// characters, the prefix compared with case, three decimal digits, the extension without case.
std::optional<FirmwareVersion> version_from_name(std::string_view file_name);

// The 16-bit sum of the first size bytes, read in blocks of up to 256 bytes; carries beyond 16
// bits are dropped. The image must hold size bytes.
std::uint16_t image_sum(std::span<const std::uint8_t> image, std::uint32_t size);

struct CheckedImage {
    Bytes bytes;
    FirmwareVersion version{};
};

struct ImageCheck {
    std::optional<CheckedImage> image;  // set when every check passed
    ReproMessage failure;               // otherwise: what to tell the user
};

// Runs the checks on the file at path. The name is judged before the content is read. An image
// too short for the model field, the checksum or the last page of the layout is not a valid
// image; the layout must have passed layout_problem.
ImageCheck check_firmware_image(FileSystem& files, const std::string& path,
                                const FlashLayout& layout);

// Everything about the settings that would stop the transfer, found before the port opens: a
// layout that cannot be sent, data baud switching turned off, or a data baud rate the calculator
// does not take.
std::optional<ReproMessage> settings_problem(const ReproSettings& settings);

}  // namespace travex::repro
