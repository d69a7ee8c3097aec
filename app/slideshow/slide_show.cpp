#include "slideshow/slide_show.h"

#include <algorithm>

#include "base/le_bytes.h"
#include "files/model_table.h"

namespace travex::slides {

image::ScreenData DecodedPage::screen_data() const {
    return image::ScreenData{image::kWideWidth, Bytes(screen.begin(), screen.end())};
}

DecodedPage decode_page(std::span<const std::uint8_t> compressed) {
    DecodedPage page;
    if (compressed.empty()) {
        return page;
    }
    auto& out = page.screen;
    std::size_t n = 0;
    out[n++] = compressed[0];
    for (std::size_t i = 1; i < compressed.size() && n < kPageBytes; ++i) {
        const std::uint8_t x = compressed[i];
        const std::uint8_t previous = out[n - 1];
        out[n++] = static_cast<std::uint8_t>(previous ^ x);
        if (x == 0 && i + 1 < compressed.size()) {
            const std::size_t copies = std::min<std::size_t>(compressed[++i], kPageBytes - n);
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(n), copies, previous);
            n += copies;
        }
    }
    page.produced = n;
    return page;
}

Bytes compress_page(std::span<const std::uint8_t, kPageBytes> screen) {
    Bytes out;
    out.push_back(screen[0]);
    std::size_t i = 1;
    while (i < kPageBytes) {
        const std::uint8_t x = screen[i] ^ screen[i - 1];
        out.push_back(x);
        ++i;
        if (x == 0) {
            std::size_t copies = 0;
            while (i < kPageBytes && copies < 255 && screen[i] == screen[i - 1]) {
                ++copies;
                ++i;
            }
            out.push_back(static_cast<std::uint8_t>(copies));
        }
    }
    return out;
}

std::string SlideShow::title_text() const {
    const auto end = std::find(title.begin(), title.begin() + kTitleLength, std::uint8_t{0});
    return std::string(title.begin(), end);
}

ShowRead read_slide_show(std::span<const std::uint8_t> file, char digit) {
    ShowRead read;
    if (file.size() < kMinimumFileSize) {
        read.message = MessageId::no_data;
        return read;
    }
    if (model_family_of_digit(digit) != 4 || file[0] != static_cast<std::uint8_t>(digit) ||
        (file[1] != 's' && file[1] != 'S')) {
        read.message = MessageId::not_slide_show;
        return read;
    }
    std::copy_n(file.begin() + kTitleOffset, read.show.title.size(), read.show.title.begin());
    auto damaged = [&read](std::string problem) {
        read.message = MessageId::file_access_failed;
        read.problem = std::move(problem);
        read.show.pages.clear();
        return read;
    };
    std::size_t at = kFirstRecordOffset;
    for (;;) {
        const std::string where = "page record at offset " + std::to_string(at);
        if (file.size() - at < kRecordHeadSize) {
            return damaged("the file ends at offset " + std::to_string(file.size()) +
                           " before the record that ends the pages");
        }
        const std::uint32_t length = read_u32le(file, at);
        if (length == 0) {
            return read;
        }
        if (length < kRecordHeadSize) {
            return damaged(where + " has the length " + std::to_string(length) +
                           ", less than its own 8-byte head");
        }
        if (length > file.size() - at) {
            return damaged(where + " (length " + std::to_string(length) +
                           ") runs past the end of the file");
        }
        Page page;
        page.offset = at;
        page.record_length = length;
        page.decoded = decode_page(file.subspan(at + kRecordHeadSize, length - kRecordHeadSize));
        read.show.pages.push_back(page);
        at += length;
    }
}

std::array<std::uint8_t, kNameLength> copy_name_field(std::string_view path) {
    std::array<std::uint8_t, kNameLength> field;
    field.fill(0xFF);
    const std::size_t slash = path.find_last_of("/\\");
    std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    base = base.substr(0, std::min(base.find('.'), kNameCharacters));
    std::copy(base.begin(), base.end(), field.begin());
    return field;
}

Bytes retitled_copy(std::span<const std::uint8_t> file, std::string_view new_path,
                    std::string_view title, char model_digit) {
    if (file.size() < kTitleOffset + kTitleLength + 1) {
        return {};
    }
    Bytes copy(file.begin(), file.end());
    copy[0] = static_cast<std::uint8_t>(model_digit);
    const auto name = copy_name_field(new_path);
    std::copy(name.begin(), name.end(), copy.begin() + kNameOffset);
    const auto title_at = copy.begin() + kTitleOffset;
    std::fill_n(title_at, kTitleLength + 1, std::uint8_t{0});
    title = title.substr(0, kTitleLength);
    std::copy(title.begin(), title.end(), title_at);
    return copy;
}

SaveOutcome save_copy(FileSystem& fs, const std::string& source_path, const std::string& new_path,
                      std::string_view title, char model_digit) {
    SaveOutcome outcome;
    const std::optional<Bytes> source = fs.read_file(source_path);
    const Bytes copy = source ? retitled_copy(*source, new_path, title, model_digit) : Bytes{};
    if (copy.empty()) {
        outcome.message = MessageId::file_access_failed;
        return outcome;
    }
    const std::optional<std::uint64_t> free = fs.free_space(new_path);
    if (free && *free < copy.size()) {
        outcome.message = MessageId::disk_full;
        return outcome;
    }
    if (new_path.size() >= kPathLimit) {
        outcome.message = MessageId::name_too_long;
        return outcome;
    }
    if (write_file_atomic(fs, new_path, copy) != WriteResult::written) {
        outcome.message = MessageId::cannot_create;
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

}  // namespace travex::slides
