#include "repro/firmware_image.h"

#include <algorithm>
#include <cctype>

#include "base/le_bytes.h"
#include "repro/repro_packets.h"

namespace travex::repro {
namespace {

ReproMessage not_valid() {
    return {std::string(kNotValidText), kReproTitle, MessageIcon::exclamation};
}

bool equal_without_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string_view image_file_name(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<FirmwareVersion> version_from_name(std::string_view name) {
    if (name.size() != kImageNameLength ||
        !equal_without_case(name.substr(name.size() - kImageNameExtension.size()),
                            kImageNameExtension) ||
        !name.starts_with(kImageNamePrefix)) {
        return std::nullopt;
    }
    FirmwareVersion version{};
    for (std::size_t i = 0; i < version.size(); ++i) {
        const char c = name[kImageNamePrefix.size() + i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        version[i] = c;
    }
    return version;
}

std::uint16_t image_sum(std::span<const std::uint8_t> image, std::uint32_t size) {
    std::uint16_t sum = 0;
    for (std::size_t at = 0; at < size; at += 256) {
        const std::size_t block = std::min<std::size_t>(256, size - at);
        for (const std::uint8_t b : image.subspan(at, block)) {
            sum = static_cast<std::uint16_t>(sum + b);
        }
    }
    return sum;
}

ImageCheck check_firmware_image(FileSystem& files, const std::string& path,
                                const FlashLayout& layout) {
    ImageCheck check;
    if (path.empty() || !files.exists(path)) {
        check.failure = {std::string(kCantOpenText), kReproTitle, MessageIcon::stop};
        return check;
    }
    const auto version = version_from_name(image_file_name(path));
    if (!version) {
        check.failure = not_valid();
        return check;
    }
    auto bytes = files.read_file(path);
    if (!bytes) {
        check.failure = {std::string(kCantOpenText), kReproTitle, MessageIcon::stop};
        return check;
    }
    const auto model_at = static_cast<std::ptrdiff_t>(kModelFieldOffset);
    if (bytes->size() < kModelFieldOffset + kModelField.size() ||
        !std::equal(kModelField.begin(), kModelField.end(), bytes->begin() + model_at)) {
        check.failure = not_valid();
        return check;
    }
    if (bytes->size() < image_length_needed(layout)) {
        check.failure = not_valid();
        return check;
    }
    if (image_sum(*bytes, layout.size) != read_u16le(*bytes, layout.check_sum_addr)) {
        check.failure = {std::string(kCheckSumText), kReproTitle, MessageIcon::exclamation};
        return check;
    }
    check.image = CheckedImage{std::move(*bytes), *version};
    return check;
}

std::optional<ReproMessage> settings_problem(const ReproSettings& settings) {
    if (auto problem = layout_problem(flash_layout(settings))) {
        return ReproMessage{"The flash layout in repro.ini cannot be sent: " + *problem,
                            kReproTitle, MessageIcon::stop};
    }
    if (settings.enable_data_baud_rate != 1) {
        return ReproMessage{std::string(kEnableDataText), kReproTitle, MessageIcon::stop};
    }
    if (!data_speed(settings.data_baud_rate)) {
        return ReproMessage{std::string(kBaudRateText), kReproTitle, MessageIcon::stop};
    }
    return std::nullopt;
}

}  // namespace travex::repro
