
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "base/le_bytes.h"
#include "slideshow/slide_layout.h"
#include "slideshow/slide_show.h"
#include "tests/unit/fault_file_system.h"

namespace travex::slides {
namespace {

using Screen = std::array<std::uint8_t, kPageBytes>;

// A slide show file image: header with digit and letter, the title, one unused byte, the
// given records (already compressed pages) and a record of length 0.
Bytes show_bytes(char digit, char letter, std::string_view title,
                 const std::vector<Bytes>& compressed_pages, bool terminated = true) {
    Bytes file(55, 0);
    file[0] = static_cast<std::uint8_t>(digit);
    file[1] = static_cast<std::uint8_t>(letter);
    std::fill(file.begin() + 2, file.begin() + 13, 'N');
    std::copy(title.begin(), title.end(), file.begin() + 13);
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

Screen random_screen(std::uint32_t seed) {
    std::mt19937 random(seed);
    Screen screen{};
    for (std::size_t i = 0; i < kPageBytes;) {
        // Runs of every length, some longer than one count can say.
        const std::size_t run = std::min<std::size_t>(random() % 300 + 1, kPageBytes - i);
        const auto value = static_cast<std::uint8_t>(random() % 4 == 0 ? 0 : random());
        std::fill_n(screen.begin() + static_cast<std::ptrdiff_t>(i), run, value);
        i += run;
    }
    return screen;
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

TEST(SlidePageDecoder, CompressedPagesDecodeToTheSameScreen) {
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        const Screen screen = random_screen(seed);
        const DecodedPage decoded = decode_page(compress_page(screen));
        EXPECT_TRUE(decoded.complete()) << seed;
        EXPECT_EQ(decoded.screen, screen) << seed;
    }
    Screen full;
    full.fill(0x5A);
    EXPECT_EQ(compress_page(full).size(), 1u + 5 * 2);  // 1 + 4 × 256 + 31
}

TEST(SlideShowRead, HeaderLengthAndDamagedRecordsOpenNothing) {
    const Bytes page = compress_page(random_screen(3));
    const Bytes none = show_bytes('6', 's', "T", {});  // 63 bytes: only one record head
    Bytes one_more = none;
    one_more.push_back(0);
    Bytes past_end = show_bytes('6', 's', "", {page, page});
    write_u32le(past_end, 55 + page.size() + 8, static_cast<std::uint32_t>(page.size() + 100));
    Bytes below_head = show_bytes('6', 's', "", {page, page});
    write_u32le(below_head, 55, 7);
    Bytes huge = show_bytes('6', 's', "", {page});
    write_u32le(huge, 55, 0xFFFFFFFFu);
    Bytes short_terminator = show_bytes('6', 's', "", {page});
    short_terminator.resize(short_terminator.size() - 4);
    const std::tuple<Bytes, char, MessageId> cases[] = {
        {none, '6', MessageId::no_data},
        {one_more, '6', MessageId::none},
        {show_bytes('6', 's', "", {page}), '6', MessageId::none},
        {show_bytes('4', 'S', "", {page}), '4', MessageId::none},
        {show_bytes('4', 's', "", {page}), '6', MessageId::not_slide_show},
        {show_bytes('6', 'p', "", {page}), '6', MessageId::not_slide_show},
        {past_end, '6', MessageId::file_access_failed},
        {below_head, '6', MessageId::file_access_failed},
        {huge, '6', MessageId::file_access_failed},
        {show_bytes('6', 's', "", {page, page}, false), '6', MessageId::file_access_failed},
        {short_terminator, '6', MessageId::file_access_failed},
    };
    int row = 0;
    for (const auto& [file, digit, message] : cases) {
        const ShowRead read = read_slide_show(file, digit);
        EXPECT_EQ(read.message, message) << "row " << row;
        EXPECT_EQ(read.problem.empty(), message != MessageId::file_access_failed) << "row " << row;
        EXPECT_TRUE(message == MessageId::none || read.show.pages.empty()) << "row " << row++;
    }
}

// A page record's length counts its 8-byte head: 7 is damage, 8 a page without data (shown
// blank), 9 a page of one byte. The last record may reach the end of the file exactly, not beyond.
TEST(SlideShowRead, RecordLengthsEitherSideOfTheHeadAndOfTheEnd) {
    for (const std::uint32_t length : {7u, 8u, 9u}) {
        Bytes file = show_bytes('6', 's', "", {});
        file.resize(55);
        append_u32le(file, length);
        append_u32le(file, 0);
        file.resize(file.size() + (length > 8 ? length - 8 : 0), 0);
        file.resize(file.size() + 8, 0);
        const ShowRead read = read_slide_show(file, '6');
        if (length < 8) {
            EXPECT_EQ(read.message, MessageId::file_access_failed) << length;
            EXPECT_NE(read.problem.find("8-byte"), std::string::npos) << length;
            EXPECT_TRUE(read.show.pages.empty()) << length;
        } else {
            EXPECT_EQ(read.message, MessageId::none) << length;
            ASSERT_EQ(read.show.pages.size(), 1u) << length;
            EXPECT_EQ(read.show.pages[0].record_length, length);
            EXPECT_FALSE(read.show.pages[0].decoded.complete()) << length;
        }
    }
    const Bytes page = compress_page(random_screen(5));
    for (const std::uint32_t extra : {0u, 1u}) {
        Bytes file = show_bytes('6', 's', "", {page, Bytes(10, 0)}, false);
        const std::size_t last = file.size() - 18;
        write_u32le(file, last, static_cast<std::uint32_t>(18 + extra));
        const ShowRead read = read_slide_show(file, '6');
        // Either way the terminating record is missing; a length beyond the end is named so.
        EXPECT_EQ(read.message, MessageId::file_access_failed) << extra;
        EXPECT_EQ(read.problem.find("runs past the end") != std::string::npos, extra == 1)
            << read.problem;
    }
}

TEST(SlideShowCopy, SavingReportsEachFailureAndKeepsOldFiles) {
    testing::FaultFileSystem fs;
    const Bytes original = show_bytes('6', 's', "T", {Bytes{1}});
    EXPECT_EQ(save_copy(fs, "missing.g6s", "new.g6s", "x").message, MessageId::file_access_failed);
    fs.files["show.g6s"] = original;
    fs.free_bytes = original.size() - 1;
    EXPECT_EQ(save_copy(fs, "show.g6s", "new.g6s", "x").message, MessageId::disk_full);
    fs.free_bytes = original.size();
    EXPECT_EQ(save_copy(fs, "show.g6s", std::string(252, 'n') + ".g6s", "x").message,
              MessageId::name_too_long);
    fs.files["old.g6s"] = {1, 2, 3};
    fs.failing_paths.insert("old.g6s");
    EXPECT_EQ(save_copy(fs, "show.g6s", "old.g6s", "x").message, MessageId::cannot_create);
    EXPECT_EQ(fs.files["old.g6s"], (Bytes{1, 2, 3}));
    EXPECT_EQ(fs.writes, 0);
    const SaveOutcome saved = save_copy(fs, "show.g6s", "new.g6s", "x");
    EXPECT_TRUE(saved.written);
    EXPECT_EQ(fs.files["new.g6s"], retitled_copy(original, "new.g6s", "x"));
}

TEST(SlideLayout, CellsFitOnlyWhenTheyStayLeftOfTheEdge) {
    // {row width, pages per row}: a cell reaching the edge exactly starts a new row.
    const std::pair<int, int> cases[] = {{0, 1},   {100, 1}, {171, 1}, {172, 1}, {173, 1},
                                         {344, 1}, {345, 2}, {516, 2}, {517, 3}, {1000, 5}};
    for (const auto& [width, per_row] : cases) {
        EXPECT_EQ(pages_per_row(width), per_row) << "width " << width;
    }
}

TEST(SlideLayout, PagesFlowInRowsAndTheTopRowShiftsThemUp) {
    const int width = 3 * kCellWidth + 1;  // three cells and one pixel to spare
    EXPECT_EQ(row_count(0, width), 0);
    EXPECT_EQ(row_count(7, width), 3);
    EXPECT_EQ(page_cell(0, width, 0), (Rect{0, 0, 172, 124}));
    EXPECT_EQ(page_cell(3, width, 0), (Rect{0, 124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 0), (Rect{0, 248, 172, 124}));
    // Row 1 at the top: the first row sits above the area, the third one row down.
    EXPECT_EQ(page_cell(0, width, 1), (Rect{0, -124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 1), (Rect{0, 124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 2), (Rect{0, 0, 172, 124}));
}

TEST(SlideScroll, StepsStopAtTheEndsAndJumpsStayWithinTheRows) {
    using enum ScrollRequest;
    // clang-format off
    const std::tuple<int, ScrollRequest, int, std::optional<int>> cases[] = {
        {0, line_up, 0, std::nullopt}, {0, page_up, 0, std::nullopt}, {2, page_up, 0, 1},
        {2, line_down, 0, 3}, {4, line_down, 0, std::nullopt}, {4, page_down, 0, std::nullopt},
        {1, thumb, 9, 4}, {1, thumb, -2, 0}, {1, bottom, 0, 4}, {1, other, 0, std::nullopt}};
    // clang-format on
    for (const auto& [row, request, position, expected] : cases) {
        EXPECT_EQ(scrolled_row(row, 5, request, position), expected) << row << " " << position;
    }
    // A show without pages has nowhere to go.
    EXPECT_EQ(scrolled_row(0, 0, line_down), std::nullopt);
    EXPECT_EQ(scrolled_row(0, 0, bottom), 0);
}

}  // namespace
}  // namespace travex::slides
