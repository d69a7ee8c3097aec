#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "print/page_layout.h"
#include "print/print_retries.h"
#include "print/print_surface.h"

namespace travex::print {
namespace {

// A print surface with fixed font metrics that records texts by page (from 1).
struct Surface final : PrintSurface {
    struct Text {
        PrintFont font;
        int x, y, page;
        std::string text;
    };
    std::vector<Text> texts;
    int pages = 0, bitmaps = 0;

    int line_height(PrintFont font) override { return font == PrintFont::header ? 50 : 100; }
    int text_width(PrintFont font, std::string_view text) override {
        return static_cast<int>(text.size()) * (font == PrintFont::header ? 30 : 60);
    }
    void start_page() override { ++pages; }
    void end_page() override {}
    void text(PrintFont font, int x, int y, std::string_view text) override {
        texts.push_back({font, x, y, pages, std::string(text)});
    }
    void line(int, int, int, int) override {}
    void rectangle(int, int, int, int) override {}
    void bitmap(const MonoBitmap&, int, int, int, int, int, int, int, int) override { ++bitmaps; }

    std::vector<Text> on(int page, PrintFont font) const {
        std::vector<Text> out;
        for (const Text& t : texts) {
            if (t.page == page && t.font == font) {
                out.push_back(t);
            }
        }
        return out;
    }
};

// Letter paper at 600 pixels per inch, the screen at 96: margin 300, header lines 50 apart, body
// from 600, program text from x = 300 down to y < 6300 and right to x < 4800.
constexpr PageDescription kLetter600{5100, 6600, 600, 600, 96};
constexpr int kBodyStart = 600;

// 57 lines a page: the 58th opens a second page under its own header.
TEST(PrintProgram, HeaderOnEveryPageAndTheFiftyEighthLineBreaksThePage) {
    std::string lines;
    for (int i = 1; i <= 58; ++i) {
        lines += std::to_string(i) + "\r\n";
    }
    Surface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"C:\\P\\UNTITLE1.G6P", "MY TITLE", lines}));
    ASSERT_EQ(surface.pages, 2);
    EXPECT_EQ(surface.on(2, PrintFont::header).size(), 3u);  // the header again
    const auto first = surface.on(1, PrintFont::body);
    ASSERT_EQ(first.size(), 57u);
    EXPECT_EQ(first[56].y, kBodyStart + 5600);
    const auto second = surface.on(2, PrintFont::body);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].text, "58");
    EXPECT_EQ(second[0].y, kBodyStart);
}

TEST(PrintProgram, WrapsAtThePrintableWidthAndPrintsB8AsSlashInVariables) {
    Surface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"W.g6p", "", std::string(75, 'X') + "\r\nB"}));
    const auto body = surface.on(1, PrintFont::body);
    ASSERT_EQ(body.size(), 2u);
    // The wrap moves down one line and the line break one more: the rule as the editor prints.
    EXPECT_EQ(body[1].y, kBodyStart + 200);
    Surface variable;
    ASSERT_TRUE(print_program(variable, kLetter600, {"V.g6v", "", "1\xB8\x32"}));  // 1 0xB8 2
    EXPECT_EQ(variable.on(1, PrintFont::body)[0].text, "1/2");
}

TEST(PrintLayout, PagesWithoutRoomOrCoarserThanTheScreenPrintNothing) {
    Surface surface;
    // Body start 600, bottom margin at 700 - 300 = 400.
    EXPECT_FALSE(print_program(surface, {5100, 700, 600, 600, 96}, {"P.g6p", "", "ABC"}));
    EXPECT_FALSE(print_program(surface, {0, 0, 0, 0, 96}, {"P.g6p", "", "ABC"}));
    std::vector<std::uint8_t> rows(5 * 4 * 66);
    const MonoBitmap framed{134, 66, rows};
    EXPECT_FALSE(print_picture(surface, {612, 792, 72, 72, 96}, {"x.bmp", framed, 7, ""}));
    EXPECT_FALSE(print_picture(surface, {5100, 6600, 600, 600, 0}, {"x.bmp", framed, 3, ""}));
    EXPECT_FALSE(slide_grid({600 + 1033, 6600, 600, 600, 96}, 132));
    EXPECT_TRUE(slide_grid({600 + 1034, 6600, 600, 600, 96}, 132));
    EXPECT_TRUE(surface.pages == 0 && surface.texts.empty() && surface.bitmaps == 0);
}

SlideShowDocument slides_of(int count, std::vector<std::uint8_t>& storage) {
    storage.assign(static_cast<std::size_t>(64 * 20), 0);
    SlideShowDocument document{"C:\\S\\SHOW.g6s", "MY SHOW", {}, 132};
    for (int i = 1; i <= count; ++i) {
        document.slides.push_back({i, MonoBitmap{132, 64, storage}});
    }
    return document;
}

TEST(PrintSlides, ARowThatWouldNotFitStartsANewPageAndOnlyAHundredPrint) {
    std::vector<std::uint8_t> storage;
    // Rows at 600, 1346, 2092; after the third row 2092 + 2·746 > 3000: a new page.
    const PageDescription page{5100, 3000, 600, 600, 96};
    Surface surface;
    ASSERT_TRUE(print_slides(surface, page, slides_of(16, storage)));
    ASSERT_EQ(surface.pages, 2);
    const auto second = surface.on(2, PrintFont::header);
    ASSERT_EQ(second.size(), 3u + 4u);
    EXPECT_EQ(second[3].text, "No.13");
    Surface full;  // a full last page ends the job without an empty page
    ASSERT_TRUE(print_slides(full, page, slides_of(12, storage)));
    EXPECT_EQ(full.pages, 1);
    Surface many;
    ASSERT_TRUE(print_slides(many, kLetter600, slides_of(101, storage)));
    EXPECT_EQ(many.bitmaps, 100);
    EXPECT_EQ(many.texts.back().text, "No.100");
}

TEST(PrintRetries, ThreeRetriesAtMostWhateverTheAttemptThrows) {
    for (const int failures : {3, 99}) {
        int runs = 0;
        const RetryOutcome outcome = run_with_retries([&] {
            if (++runs > failures) {
                return;
            }
            if (runs % 2 == 0) {
                throw std::bad_alloc();
            }
            throw 42;  // not even an exception class
        });
        EXPECT_EQ(outcome.attempts, 4);
        EXPECT_EQ(outcome.completed, failures == 3);
        EXPECT_EQ(runs, 4);
    }
}

}  // namespace
}  // namespace travex::print
