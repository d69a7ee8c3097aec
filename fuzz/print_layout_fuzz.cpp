// The page layouts on arbitrary text and page sizes: pages open and close in pairs, every
// program character lands on the page, none is lost, and a slide show prints at most 100 slides.
#include <algorithm>
#include <string>

#include "fuzz_check.h"
#include "print/page_layout.h"

namespace {

using namespace travex::print;
using travex::fuzz::fail_if;

class CheckingSurface : public PrintSurface {
public:
    CheckingSurface(int height, int body_width) : height_(height), body_width_(body_width) {}
    int line_height(PrintFont font) override { return font == PrintFont::header ? 7 : 11; }
    int text_width(PrintFont font, std::string_view text) override {
        return static_cast<int>(text.size()) * (font == PrintFont::header ? 5 : body_width_);
    }
    void start_page() override {
        fail_if(open);
        open = true;
    }
    void end_page() override {
        fail_if(!open);
        open = false;
    }
    void text(PrintFont font, int x, int y, std::string_view text) override {
        fail_if(!open || (font == PrintFont::body && (x < 0 || y < 0 || y >= height_)));
        body_characters += font == PrintFont::body ? text.size() : 0;
    }
    void line(int, int, int, int) override { fail_if(!open); }
    void rectangle(int, int, int, int) override { fail_if(!open); }
    void bitmap(const MonoBitmap&, int, int, int, int, int, int, int, int) override {
        fail_if(!open);
        ++bitmaps;
    }
    bool open = false;
    int bitmaps = 0;
    std::size_t body_characters = 0;

private:
    int height_;
    int body_width_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    PageDescription page;
    page.width = data[0] * 16;
    page.height = data[1] * 16;
    page.dpi_x = data[2] * 4;
    page.dpi_y = data[3] * 4;
    page.screen_dpi_x = 96;
    const std::string text(travex::fuzz::text_of(data + 6, size - 6));
    CheckingSurface program(page.height, data[4] % 40);
    const bool printed = print_program(program, page, {data[5] & 1 ? "V.g6v" : "P.g6p", "", text});
    const auto printable = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return c != '\r' && c != '\n'; }));
    fail_if(program.open || (printed && program.body_characters != printable));

    const std::vector<std::uint8_t> rows(64 * 20, 0xAA);
    SlideShowDocument show{"S.g6s", "", {}, 132};
    for (std::size_t i = 0; i < std::min<std::size_t>(text.size(), 300); ++i) {
        show.slides.push_back({static_cast<int>(i + 1), MonoBitmap{132, 64, rows}});
    }
    CheckingSurface slides(page.height, data[4] % 40);
    print_slides(slides, page, show);
    fail_if(slides.open || slides.bitmaps > 100);
    return 0;
}
