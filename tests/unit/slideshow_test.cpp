
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/le_bytes.h"
#include "slideshow/slide_layout.h"
#include "slideshow/slide_show.h"

namespace travex::slides {
namespace {

using Screen = std::array<std::uint8_t, kPageBytes>;

// A slide show file image: header with digit and letter, one unused byte, the given records
// (already compressed pages) and a record of length 0.
Bytes show_bytes(char digit, char letter, const std::vector<Bytes>& compressed_pages,
                 bool terminated = true) {
    Bytes file(55, 0);
    file[0] = static_cast<std::uint8_t>(digit);
    file[1] = static_cast<std::uint8_t>(letter);
    for (const Bytes& page : compressed_pages) {
        append_u32le(file, static_cast<std::uint32_t>(page.size() + 8));
        append_u32le(file, 0xDEADBEEF);
        file.insert(file.end(), page.begin(), page.end());
    }
    if (terminated) {
        file.resize(file.size() + 8, 0);
    }
    return file;
}

TEST(SlidePageDecoder, XorAndRepeatCountsStopAtOnePageAndShortPagesStayBlank) {
    Bytes overlong = {0xAA};  // every count claims far more than the page holds
    for (int i = 0; i < 20; ++i) {
        overlong.insert(overlong.end(), {0x00, 0xFF});
    }
    overlong.insert(overlong.end(), {0x55, 0x55, 0x55});  // input left over after a full page
    const Bytes xors = {0x0F, 0xFF, 0xF0, 0xF0, 0xF0, 0xF0, 0x71};
    // {page, bytes produced, expected screen: this byte everywhere, then the patch at offset}
    const std::tuple<Bytes, std::size_t, std::uint8_t, std::size_t, Bytes> cases[] = {
        {{0x0F, 0xF0, 0x0F, 0x00, 0x02, 0x81}, 7, 0, 0, xors},
        {overlong, kPageBytes, 0xAA, 0, {}},
        // A literal that lands exactly on the last byte, then more input.
        {{1, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0x1D, 3, 7}, kPageBytes, 1, 1055, {2}},
        {{0xFF, 0x00}, 2, 0, 0, {0xFF, 0xFF}},  // a zero delta without its count
        {{}, 0, 0, 0, {}},
    };
    for (const auto& [page, produced, fill, offset, patch] : cases) {
        Screen expected;
        expected.fill(fill);
        std::copy(patch.begin(), patch.end(),
                  expected.begin() + static_cast<std::ptrdiff_t>(offset));
        const DecodedPage decoded = decode_page(page);
        EXPECT_EQ(decoded.produced, produced) << page.size();
        EXPECT_EQ(decoded.complete(), produced == kPageBytes);
        EXPECT_EQ(decoded.screen, expected) << page.size();
    }
}

TEST(SlideShowRead, HeaderLengthAndDamagedRecordsOpenNothing) {
    const Bytes page(20, 1);
    const Bytes none = show_bytes('6', 's', {});  // 63 bytes: only one record head
    Bytes one_more = none;
    one_more.push_back(0);
    Bytes past_end = show_bytes('6', 's', {page, page});
    write_u32le(past_end, 55 + page.size() + 8, static_cast<std::uint32_t>(page.size() + 100));
    Bytes short_terminator = show_bytes('6', 's', {page});
    short_terminator.resize(short_terminator.size() - 4);
    // clang-format off
    const std::pair<Bytes, MessageId> cases[] = {
        {none, MessageId::no_data}, {one_more, MessageId::none},
        {show_bytes('4', 's', {page}), MessageId::not_slide_show},
        {past_end, MessageId::file_access_failed}, {short_terminator, MessageId::file_access_failed},
        {show_bytes('6', 's', {page, page}, false), MessageId::file_access_failed},
    };
    // clang-format on
    int row = 0;
    for (const auto& [file, message] : cases) {
        const ShowRead read = read_slide_show(file, '6');
        EXPECT_EQ(read.message, message) << "row " << row;
        EXPECT_EQ(read.problem.empty(), message != MessageId::file_access_failed) << "row " << row;
        EXPECT_TRUE(message == MessageId::none || read.show.pages.empty()) << "row " << row++;
    }
}

// A page record's length counts its 8-byte head: 7 is damage, 8 a page without data (shown
// blank), 9 a page of one byte.
TEST(SlideShowRead, RecordLengthsEitherSideOfTheHead) {
    for (const std::uint32_t length : {7u, 8u, 9u}) {
        Bytes file = show_bytes('6', 's', {Bytes(length == 9 ? 1 : 0, 0)});
        write_u32le(file, 55, length);
        const ShowRead read = read_slide_show(file, '6');
        if (length < 8) {
            EXPECT_EQ(read.message, MessageId::file_access_failed) << length;
            EXPECT_NE(read.problem.find("8-byte"), std::string::npos) << length;
            EXPECT_TRUE(read.show.pages.empty()) << length;
        } else {
            EXPECT_EQ(read.message, MessageId::none) << length;
            ASSERT_EQ(read.show.pages.size(), 1u) << length;
            EXPECT_FALSE(read.show.pages[0].decoded.complete()) << length;
        }
    }
}

}  // namespace
}  // namespace travex::slides
