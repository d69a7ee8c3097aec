#include "print/page_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/print_recording_surface.h"

namespace travex::print {
namespace {

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
    EXPECT_EQ(header[0].text, ";FILE TYPE  :  " + type);
    EXPECT_EQ(header[1].text, ";FILE NAME  :  " + name);
    EXPECT_EQ(header[2].text, ";TITLE      :  " + title);
    EXPECT_EQ(header[0].x, kM);
    EXPECT_EQ(header[0].y, kM);
    EXPECT_EQ(header[1].y, kM + 50);
    EXPECT_EQ(header[2].y, kM + 100);
    int rules = 0;
    for (const Drawn& d : page_calls) {
        if (d.op == Op::line) {
            ++rules;
            EXPECT_EQ(d.x, kM);
            EXPECT_EQ(d.y, kM + 25 + 150);
            EXPECT_EQ(d.x1, 5100 - kM);
            EXPECT_EQ(d.y1, kM + 25 + 150);
        }
    }
    EXPECT_EQ(rules, 1);
}

// "L<n>", built by appending (GCC 12 at -O3 misreads "L" + std::string as overlapping copies).
std::string line_label(int n) {
    std::string label = "L";
    label += std::to_string(n);
    return label;
}

std::string numbered_lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += line_label(i);
        text += "\r\n";
    }
    return text;
}

TEST(PrintHeader, TypeNameFollowsTheKindOfThePathAndTheNameIsAfterTheLastBackslash) {
    EXPECT_EQ(header_for("UNTITLE1.G6P", "").type_name, "PROGRAM");
    EXPECT_EQ(header_for("C:\\work\\a.b\\GAME.g6p", "T").file_name, "GAME.g6p");
    EXPECT_EQ(header_for("/home/u/dice.g6s", "").file_name, "dice.g6s");
    EXPECT_EQ(header_for("x.g4m", "").type_name, "MATRIX");
    EXPECT_EQ(header_for("x.g6v", "").type_name, "DATA VARIABLE");
    EXPECT_EQ(header_for("x.g6i", "").type_name, "PICTURE");
    EXPECT_EQ(header_for("x.bmp", "").type_name, "BITMAP");
    EXPECT_EQ(header_for("Screen image3", "").type_name, "SCREEN IMAGE");
    EXPECT_EQ(header_for("notes.txt", "").type_name, "TEXT");
    EXPECT_EQ(header_for("x.g6g", "").type_name, "");
    EXPECT_EQ(header_for("x.doc", "").type_name, "");
}

TEST(PrintProgram, HeaderLinesRuleAndBodyStartAt600DpiLetter) {
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"C:\\P\\UNTITLE1.G6P", "MY TITLE", "A"}));
    ASSERT_EQ(surface.pages(), 1);
    expect_header(surface.page(0), "PROGRAM", "UNTITLE1.G6P", "MY TITLE");
    const auto body = texts_of(surface.page(0), PrintFont::body);
    ASSERT_EQ(body.size(), 1u);
    EXPECT_EQ(body[0].text, "A");
    EXPECT_EQ(body[0].x, 300);  // half the vertical pixels per inch
    EXPECT_EQ(body[0].y, kBodyStart);
}

TEST(PrintProgram, LeftMarginComesFromTheVerticalResolution) {
    RecordingSurface surface;
    const PageDescription page{5100, 6600, 600, 1200, 96};
    ASSERT_TRUE(print_program(surface, page, {"P.g6p", "", "A"}));
    EXPECT_EQ(texts_of(surface.page(0), PrintFont::body)[0].x, 600);
    EXPECT_EQ(texts_of(surface.page(0), PrintFont::header)[0].x, 300);
}

TEST(PrintProgram, TwoHundredLinesBreakOntoPagesThatEachStartWithTheHeader) {
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"GAME.g6p", "GAME", numbered_lines(200)}));
    // Lines at 600, 700, ...; a line at y >= 6300 goes to the next page: 57 lines a page.
    ASSERT_EQ(surface.pages(), 4);
    EXPECT_EQ(surface.all(Op::end_page).size(), 4u);
    int expected = 1;
    for (int p = 0; p < 4; ++p) {
        expect_header(surface.page(p), "PROGRAM", "GAME.g6p", "GAME");
        const auto body = texts_of(surface.page(p), PrintFont::body);
        EXPECT_EQ(body.size(), p < 3 ? 57u : 29u);
        for (std::size_t i = 0; i < body.size(); ++i) {
            EXPECT_EQ(body[i].text, line_label(expected++));
            EXPECT_EQ(body[i].y, kBodyStart + 100 * static_cast<int>(i));
            EXPECT_EQ(body[i].x, 300);
        }
    }
    EXPECT_EQ(expected, 201);
}

TEST(PrintProgram, BlankLinesPastTheBottomOpenNoEmptyPage) {
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600,
                              {"GAME.g6p", "", numbered_lines(57) + std::string(40, '\n')}));
    EXPECT_EQ(surface.pages(), 1);
}

TEST(PrintProgram, LineWiderThanThePageWrapsAtTheLeftMargin) {
    RecordingSurface surface;
    // 75 characters of 60 pixels reach x = 4800, the right margin.
    const std::string line(80, 'X');
    ASSERT_TRUE(print_program(surface, kLetter600, {"W.g6p", "", line + "\r\nNEXT"}));
    const auto body = texts_of(surface.page(0), PrintFont::body);
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body[0].text, std::string(75, 'X'));
    EXPECT_EQ(body[1].text, std::string(5, 'X'));
    EXPECT_EQ(body[1].x, 300);
    EXPECT_EQ(body[1].y, kBodyStart + 100);
    EXPECT_EQ(body[2].text, "NEXT");
    EXPECT_EQ(body[2].y, kBodyStart + 200);
}

TEST(PrintProgram, ALineOfExactlyThePrintableWidthWrapsBeforeItsLineBreak) {
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"W.g6p", "", std::string(75, 'X') + "\r\nB"}));
    const auto body = texts_of(surface.page(0), PrintFont::body);
    ASSERT_EQ(body.size(), 2u);
    // The wrap moves down one line and the line break one more: the rule as the editor prints.
    EXPECT_EQ(body[1].y, kBodyStart + 200);
}

TEST(PrintProgram, CrLfIsOneBreakAndALoneCrOrLfIsOneToo) {
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"B.g6p", "", "A\r\nB\rC\nD\n\rE"}));
    const auto body = texts_of(surface.page(0), PrintFont::body);
    ASSERT_EQ(body.size(), 5u);
    const int lines[] = {0, 1, 2, 3, 5};
    for (std::size_t i = 0; i < body.size(); ++i) {
        EXPECT_EQ(body[i].y, kBodyStart + 100 * lines[i]) << body[i].text;
    }
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

TEST(PrintProgram, EmptyTextPrintsOnePageWithTheHeader) {
    RecordingSurface surface;
    ASSERT_TRUE(print_program(surface, kLetter600, {"E.g6p", "", ""}));
    EXPECT_EQ(surface.pages(), 1);
    EXPECT_TRUE(texts_of(surface.page(0), PrintFont::body).empty());
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

TEST(PrintPicture, HundredPercentAtSixHundredDpiIsSixTimesTheScreen) {
    Framed framed(132, 64);
    RecordingSurface surface;
    ASSERT_TRUE(
        print_picture(surface, kLetter600, {"C:\\pics\\PIC.g6i", framed.bitmap, 3, "Pict1"}));
    const auto page = surface.page(0);
    expect_header(page, "PICTURE", "PIC.g6i", "");
    const auto header = texts_of(page, PrintFont::header);
    ASSERT_EQ(header.size(), 4u);
    EXPECT_EQ(header[3].text, ";PICT1");
    EXPECT_EQ(header[3].x, kM);
    EXPECT_EQ(header[3].y, kBodyStart);
    const int top = kBodyStart + 150;
    const auto frame = surface.all(Op::rectangle);
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0].x, kM);
    EXPECT_EQ(frame[0].y, top);
    EXPECT_EQ(frame[0].x1, kM + 792 + 3);
    EXPECT_EQ(frame[0].y1, top + 384 + 3);
    const auto bitmap = surface.all(Op::bitmap);
    ASSERT_EQ(bitmap.size(), 1u);
    EXPECT_EQ(bitmap[0].sx, 1);
    EXPECT_EQ(bitmap[0].sy, 1);
    EXPECT_EQ(bitmap[0].sw, 132);
    EXPECT_EQ(bitmap[0].sh, 64);
    EXPECT_EQ(bitmap[0].x, kM + 1);
    EXPECT_EQ(bitmap[0].y, top + 1);
    EXPECT_EQ(bitmap[0].x1, 792);
    EXPECT_EQ(bitmap[0].y1, 384);
}

TEST(PrintPicture, TwoHundredPercentDoublesAndAScreenImageHasNoVariableLine) {
    Framed framed(96, 64);
    RecordingSurface surface;
    ASSERT_TRUE(print_picture(surface, kLetter600, {"Screen image2", framed.bitmap, 7, ""}));
    const auto page = surface.page(0);
    expect_header(page, "SCREEN IMAGE", "Screen image2", "");
    EXPECT_EQ(texts_of(page, PrintFont::header).size(), 3u);
    const auto bitmap = surface.all(Op::bitmap);
    ASSERT_EQ(bitmap.size(), 1u);
    EXPECT_EQ(bitmap[0].y, kBodyStart + 1);
    EXPECT_EQ(bitmap[0].x1, 96 * 8 * 6 / 4);
    EXPECT_EQ(bitmap[0].y1, 64 * 8 * 6 / 4);
}

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

TEST(PrintSlides, GridOfFourColumnsOnLetterAtSixHundredDpi) {
    const auto grid = slide_grid(kLetter600, 132);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->scale, 6);
    EXPECT_EQ(grid->cell_height, 746);
    EXPECT_EQ(grid->cell_width, 1034);
    EXPECT_EQ(grid->columns, 4);
}

TEST(PrintSlides, TwelveSlidesFillTheGridRowByRow) {
    std::vector<std::uint8_t> storage;
    RecordingSurface surface;
    ASSERT_TRUE(print_slides(surface, kLetter600, slides_of(12, storage)));
    ASSERT_EQ(surface.pages(), 1);
    expect_header(surface.page(0), "SLIDE SHOW", "SHOW.g6s", "MY SHOW");
    const auto rects = surface.all(Op::rectangle);
    const auto bitmaps = surface.all(Op::bitmap);
    const auto captions = texts_of(surface.page(0), PrintFont::header);
    ASSERT_EQ(rects.size(), 24u);
    ASSERT_EQ(bitmaps.size(), 12u);
    ASSERT_EQ(captions.size(), 3u + 12u);
    for (int i = 0; i < 12; ++i) {
        const int x = kM + (i % 4) * 1034;
        const int y = kBodyStart + (i / 4) * 746;
        const Drawn& cell = rects[2 * i];
        EXPECT_EQ(cell.x, x);
        EXPECT_EQ(cell.y, y);
        EXPECT_EQ(cell.x1, x + 1035);
        EXPECT_EQ(cell.y1, y + 747);
        const Drawn& frame = rects[2 * i + 1];
        EXPECT_EQ(frame.x, x + 120);
        EXPECT_EQ(frame.y, y + 120);
        EXPECT_EQ(frame.x1, x + 6 * 152 + 3);
        EXPECT_EQ(frame.y1, y + 504 + 3);
        EXPECT_EQ(bitmaps[i].x, x + 121);
        EXPECT_EQ(bitmaps[i].y, y + 121);
        EXPECT_EQ(bitmaps[i].x1, 792);
        EXPECT_EQ(bitmaps[i].y1, 384);
        EXPECT_EQ(bitmaps[i].sw, 132);
        EXPECT_EQ(bitmaps[i].sh, 64);
        const Drawn& caption = captions[3 + i];
        std::string text = "No.";
        text += std::to_string(i + 1);
        EXPECT_EQ(caption.text, text);
        EXPECT_EQ(caption.x, x + (1034 - 30 * static_cast<int>(text.size())) / 2);
        EXPECT_EQ(caption.y, y + 746 - 150);
    }
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
}

TEST(PrintSlides, AFullLastPageEndsTheJobWithoutAnEmptyPage) {
    std::vector<std::uint8_t> storage;
    RecordingSurface surface;
    ASSERT_TRUE(print_slides(surface, {5100, 3000, 600, 600, 96}, slides_of(12, storage)));
    EXPECT_EQ(surface.pages(), 1);
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

}  // namespace
}  // namespace travex::print
