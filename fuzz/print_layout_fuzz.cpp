// The page layouts on arbitrary text and page sizes: pages always open and close in pairs,
// every program character lands inside the page, none is lost, and a slide show never prints
// more than 100 slides.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "print/page_layout.h"

namespace {

using travex::print::MonoBitmap;
using travex::print::PageDescription;
using travex::print::PrintFont;

class CheckingSurface : public travex::print::PrintSurface {
public:
    explicit CheckingSurface(const PageDescription& page, int body_width)
        : page_(page), body_width_(body_width) {}

    int line_height(PrintFont font) override { return font == PrintFont::header ? 7 : 11; }
    int text_width(PrintFont font, std::string_view text) override {
        return static_cast<int>(text.size()) * (font == PrintFont::header ? 5 : body_width_);
    }
    void start_page() override {
        travex::fuzz::fail_if(open_);
        open_ = true;
        ++pages;
    }
    void end_page() override {
        travex::fuzz::fail_if(!open_);
        open_ = false;
    }
    void text(PrintFont font, int x, int y, std::string_view text) override {
        require_open();
        if (font == PrintFont::body) {
            body_characters += text.size();
            travex::fuzz::fail_if(x < 0 || y < 0 || y >= page_.height);
        }
    }
    void line(int, int, int, int) override { require_open(); }
    void rectangle(int, int, int, int) override { require_open(); }
    void bitmap(const MonoBitmap&, int, int, int, int, int, int, int, int) override {
        require_open();
        ++bitmaps;
    }

    bool closed() const { return !open_; }
    int pages = 0;
    std::size_t body_characters = 0;
    int bitmaps = 0;

private:
    void require_open() const { travex::fuzz::fail_if(!open_); }
    PageDescription page_;
    int body_width_;
    bool open_ = false;
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
    const int body_width = data[4] % 40;
    const std::string text(reinterpret_cast<const char*>(data + 6), size - 6);

    CheckingSurface program(page, body_width);
    const bool printed =
        travex::print::print_program(program, page, {data[5] & 1 ? "V.g6v" : "P.g6p", "", text});
    const auto printable = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return c != '\r' && c != '\n'; }));
    travex::fuzz::fail_if(!program.closed() || (printed && program.body_characters != printable) ||
                          (!printed && program.pages != 0));

    std::vector<std::uint8_t> rows(64 * 20, 0xAA);
    travex::print::SlideShowDocument show{"S.g6s", "", {}, 132};
    for (std::size_t i = 0; i < std::min<std::size_t>(text.size(), 300); ++i) {
        show.slides.push_back({static_cast<int>(i + 1), MonoBitmap{132, 64, rows}});
    }
    CheckingSurface slides(page, body_width);
    travex::print::print_slides(slides, page, show);
    travex::fuzz::fail_if(!slides.closed() || slides.bitmaps > 100);
    return 0;
}
