
#include <gtest/gtest.h>

#include <array>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "print/page_layout.h"
#include "print/print_retries.h"
#include "print/print_surface.h"

namespace travex::print {
namespace {

// A print surface that records what is drawn, with fixed font metrics.
struct Drawn {
    enum class Op { start_page, end_page, text, line, rectangle, bitmap };
    Op op = Op::start_page;
    PrintFont font = PrintFont::header;
    int x = 0, y = 0, x1 = 0, y1 = 0;  // text and positions; line/rectangle ends; bitmap size
    std::string text;
};

class RecordingSurface : public PrintSurface {
public:
    static constexpr int kHeaderHeight = 50;
    static constexpr int kHeaderAdvance = 30;
    static constexpr int kBodyHeight = 100;
    static constexpr int kBodyAdvance = 60;

    std::vector<Drawn> drawn;

    int line_height(PrintFont font) override {
        return font == PrintFont::header ? kHeaderHeight : kBodyHeight;
    }
    int text_width(PrintFont font, std::string_view text) override {
        const int advance = font == PrintFont::header ? kHeaderAdvance : kBodyAdvance;
        return static_cast<int>(text.size()) * advance;
    }
    void start_page() override {
        drawn.push_back({Drawn::Op::start_page, PrintFont::header, 0, 0, 0, 0, {}});
    }
    void end_page() override {
        drawn.push_back({Drawn::Op::end_page, PrintFont::header, 0, 0, 0, 0, {}});
    }
    void text(PrintFont font, int x, int y, std::string_view text) override {
        drawn.push_back({Drawn::Op::text, font, x, y, 0, 0, std::string(text)});
    }
    void line(int x0, int y0, int x1, int y1) override {
        drawn.push_back({Drawn::Op::line, PrintFont::header, x0, y0, x1, y1, {}});
    }
    void rectangle(int left, int top, int right, int bottom) override {
        drawn.push_back({Drawn::Op::rectangle, PrintFont::header, left, top, right, bottom, {}});
    }
    void bitmap(const MonoBitmap&, int, int, int, int, int x, int y, int w, int h) override {
        drawn.push_back({Drawn::Op::bitmap, PrintFont::header, x, y, w, h, {}});
    }

    // The calls of one kind, in order.
    std::vector<Drawn> all(Drawn::Op op) const {
        std::vector<Drawn> out;
        for (const Drawn& d : drawn) {
            if (d.op == op) {
                out.push_back(d);
            }
        }
        return out;
    }
    // The calls between the n-th start_page (from 0) and its end_page.
    std::vector<Drawn> page(int n) const {
        std::vector<Drawn> out;
        int seen = -1;
        bool inside = false;
        for (const Drawn& d : drawn) {
            if (d.op == Drawn::Op::start_page) {
                inside = ++seen == n;
            } else if (d.op == Drawn::Op::end_page) {
                inside = false;
            } else if (inside) {
                out.push_back(d);
            }
        }
        return out;
    }
    int pages() const { return static_cast<int>(all(Drawn::Op::start_page).size()); }
};

using Op = Drawn::Op;

// Letter paper at 600 pixels per inch, the screen at 96: m = 300, header lines 50 apart, body
// from 600, program text from x = 300 down to y < 6300 and right to x < 4800.
constexpr PageDescription kLetter600{5100, 6600, 600, 600, 96};
constexpr int kM = 300;
constexpr int kBodyStart = kM + 6 * RecordingSurface::kHeaderHeight;

std::vector<Drawn> texts_of(const std::vector<Drawn>& calls, PrintFont font) {
    std::vector<Drawn> out;
    for (const Drawn& d : calls) {
        if (d.op == Op::text && d.font == font) {
            out.push_back(d);
        }
    }
    return out;
}

void expect_header(const std::vector<Drawn>& page_calls, const std::string& type,
                   const std::string& name, const std::string& title) {
    const auto header = texts_of(page_calls, PrintFont::header);
    ASSERT_GE(header.size(), 3u);
    const std::string lines[] = {";FILE TYPE  :  " + type, ";FILE NAME  :  " + name,
                                 ";TITLE      :  " + title};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(header[i].text, lines[i]);
        EXPECT_EQ(std::pair(header[i].x, header[i].y), std::pair(kM, kM + 50 * i));
    }
    // One rule under the header, across the page between the margins.
    std::vector<std::array<int, 4>> rules;
    for (const Drawn& d : page_calls) {
        if (d.op == Op::line) {
            rules.push_back({d.x, d.y, d.x1, d.y1});
        }
    }
    EXPECT_EQ(rules, (std::vector<std::array<int, 4>>{{kM, kM + 175, 5100 - kM, kM + 175}}));
}

// Lines at 600, 700, ...; a line at y >= 6300 goes to the next page: 57 lines a page. The
// 58th line opens a second page under its own header; blank lines past the bottom open none.
TEST(PrintProgram, HeaderOnEveryPageAndTheFiftyEighthLineBreaksThePage) {
    std::string lines;
    for (int i = 1; i <= 58; ++i) {
        lines += std::to_string(i) + "\r\n";
    }
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"C:\\P\\UNTITLE1.G6P", "MY TITLE", lines}));
    ASSERT_EQ(surface.pages(), 2);
    for (int p = 0; p < 2; ++p) {
        expect_header(surface.page(p), "PROGRAM", "UNTITLE1.G6P", "MY TITLE");
    }
    const auto first = texts_of(surface.page(0), PrintFont::body);
    ASSERT_EQ(first.size(), 57u);
    EXPECT_EQ(first[0].x, 300);  // half the vertical pixels per inch
    EXPECT_EQ(first[0].y, kBodyStart);
    EXPECT_EQ(first[56].y, kBodyStart + 5600);
    const auto second = texts_of(surface.page(1), PrintFont::body);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].text, "58");
    EXPECT_EQ(second[0].y, kBodyStart);
    RecordingSurface blank_tail;
    lines.resize(lines.size() - 4);
    ASSERT_TRUE(
        print_program(blank_tail, kLetter600, {"G.g6p", "", lines + std::string(40, '\n')}));
    EXPECT_EQ(blank_tail.pages(), 1);
}

TEST(PrintProgram, ALineOfExactlyThePrintableWidthWrapsBeforeItsLineBreak) {
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"W.g6p", "", std::string(75, 'X') + "\r\nB"}));
    const auto body = texts_of(surface.page(0), PrintFont::body);
    ASSERT_EQ(body.size(), 2u);
    // The wrap moves down one line and the line break one more: the rule as the editor prints.
    EXPECT_EQ(body[1].y, kBodyStart + 200);
}

TEST(PrintProgram, DataVariableFilesPrintB8AsSlashOtherKindsKeepTheGlyph) {
    const std::string text =
        "1\xB8"
        "2";
    RecordingSurface variable;
    ASSERT_TRUE(print_program(variable, kLetter600, {"V.g6v", "", text}));
    EXPECT_EQ(texts_of(variable.page(0), PrintFont::body)[0].text, "1/2");
    RecordingSurface program;
    ASSERT_TRUE(print_program(program, kLetter600, {"P.g6p", "", text}));
    EXPECT_EQ(texts_of(program.page(0), PrintFont::body)[0].text, text);
}

TEST(PrintProgram, APageWithNoRoomForOneLineUnderTheHeaderPrintsNothing) {
    RecordingSurface surface;
    // Body start 600, bottom margin at 700 - 300 = 400.
    EXPECT_FALSE(print_program(surface, {5100, 700, 600, 600, 96}, {"P.g6p", "", "ABC"}));
    EXPECT_FALSE(print_program(surface, {0, 0, 0, 0, 96}, {"P.g6p", "", "ABC"}));
    EXPECT_TRUE(surface.drawn.empty());
}

// A framed picture of the given inner size (pixels all white).
struct Framed {
    std::vector<std::uint8_t> rows;
    MonoBitmap bitmap;
    Framed(int w, int h) : rows(static_cast<std::size_t>((w + 2 + 31) / 32) * 4 * (h + 2)) {
        bitmap = {w + 2, h + 2, rows};
    }
};

TEST(PrintPicture, QuarterSizeAndAPrinterCoarserThanTheScreenPrintsNothing) {
    Framed framed(132, 64);
    EXPECT_EQ(picture_scale(kLetter600, 132, 64, 0)->width, 198);
    EXPECT_EQ(picture_scale(kLetter600, 132, 64, 0)->height, 96);
    RecordingSurface surface;
    EXPECT_FALSE(print_picture(surface, {612, 792, 72, 72, 96}, {"x.bmp", framed.bitmap, 7, ""}));
    EXPECT_FALSE(
        print_picture(surface, {5100, 6600, 600, 600, 0}, {"x.bmp", framed.bitmap, 3, ""}));
    EXPECT_TRUE(surface.drawn.empty());
}

SlideShowDocument slides_of(int count, std::vector<std::uint8_t>& storage) {
    storage.assign(static_cast<std::size_t>(64 * 20), 0);
    SlideShowDocument document{"C:\\S\\SHOW.g6s", "MY SHOW", {}, 132};
    for (int i = 1; i <= count; ++i) {
        document.slides.push_back({i, MonoBitmap{132, 64, storage}});
    }
    return document;
}

TEST(PrintSlides, ARowThatWouldNotFitStartsANewPageWithTheHeader) {
    std::vector<std::uint8_t> storage;
    // Rows at 600, 1346, 2092; after the third row 2092 + 2·746 > 3000: a new page.
    const PageDescription page{5100, 3000, 600, 600, 96};
    RecordingSurface surface;
    ASSERT_TRUE(print_slides(surface, page, slides_of(16, storage)));
    ASSERT_EQ(surface.pages(), 2);
    expect_header(surface.page(1), "SLIDE SHOW", "SHOW.g6s", "MY SHOW");
    const auto second = texts_of(surface.page(1), PrintFont::header);
    ASSERT_EQ(second.size(), 3u + 4u);
    EXPECT_EQ(second[3].text, "No.13");
    EXPECT_EQ(second[3].y, kBodyStart + 746 - 150);
    // A full last page ends the job without an empty page.
    RecordingSurface full;
    ASSERT_TRUE(print_slides(full, page, slides_of(12, storage)));
    EXPECT_EQ(full.pages(), 1);
}

TEST(PrintSlides, OneHundredAndOneSlidesPrintTheFirstHundred) {
    std::vector<std::uint8_t> storage;
    RecordingSurface surface;
    ASSERT_TRUE(print_slides(surface, kLetter600, slides_of(101, storage)));
    EXPECT_EQ(surface.all(Op::bitmap).size(), 100u);
    // 8 rows a page (600 + 8·746 = 6568, and 6600 < 5822 + 1492 breaks after the 8th row).
    EXPECT_EQ(surface.pages(), 4);
    const auto texts = surface.all(Op::text);
    EXPECT_EQ(texts.back().text, "No.100");
}

TEST(PrintSlides, APageNarrowerThanOneCellAndOneInchPrintsNothing) {
    std::vector<std::uint8_t> storage;
    RecordingSurface surface;
    EXPECT_FALSE(print_slides(surface, {600 + 1033, 6600, 600, 600, 96}, slides_of(3, storage)));
    EXPECT_FALSE(slide_grid({600 + 1033, 6600, 600, 600, 96}, 132));
    EXPECT_TRUE(slide_grid({600 + 1034, 6600, 600, 600, 96}, 132));
    // Coarser than the screen: d = 0.
    EXPECT_FALSE(print_slides(surface, {612, 792, 72, 72, 96}, slides_of(3, storage)));
    EXPECT_TRUE(surface.drawn.empty());
}

TEST(MonoBitmapPixels, BottomUpRowsWithTheLeftmostPixelInTheHighBit) {
    // 3 × 2: top row dark at x = 0, bottom row dark at x = 2.
    const std::vector<std::uint8_t> rows = {0x20, 0, 0, 0, 0x80, 0, 0, 0};
    const MonoBitmap bitmap{3, 2, rows};
    EXPECT_TRUE(bitmap.dark(0, 0));
    EXPECT_FALSE(bitmap.dark(1, 0));
    EXPECT_TRUE(bitmap.dark(2, 1));
    EXPECT_FALSE(bitmap.dark(3, 0));
    EXPECT_FALSE(bitmap.dark(0, -1));
    const MonoBitmap short_rows{3, 4, rows};
    EXPECT_FALSE(short_rows.dark(0, 0));  // rows past the data read as light
}

TEST(PrintRetries, AnAttemptThatFailsThreeTimesIsRunAFourthTimeAndThatOneCounts) {
    int runs = 0;
    const RetryOutcome outcome = run_with_retries([&] {
        if (++runs <= 3) {
            throw std::bad_alloc();
        }
    });
    EXPECT_EQ(outcome.attempts, 4);
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(runs, 4);
}

TEST(PrintRetries, AnAttemptThatAlwaysFailsStopsAfterThreeRetriesWhateverItThrows) {
    int runs = 0;
    const RetryOutcome outcome = run_with_retries([&] {
        ++runs;
        if (runs % 2 == 0) {
            throw std::runtime_error("printer driver fault");
        }
        throw 42;  // not even an exception class
    });
    EXPECT_EQ(outcome.attempts, 4);
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(runs, 4);
}

}  // namespace
}  // namespace travex::print
