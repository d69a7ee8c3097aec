#pragma once
// What the page layouts draw on: a printer device context in the application, a PDF page in the
// command-line tool, a recording in the tests. Coordinates are device pixels from the top left
// of the printable page; text positions are the top left of the text cell, as a printer context
// places text by default.
#include <cstdint>
#include <span>
#include <string_view>

namespace travex::print {

// The two fonts of a printed page: the printer's default font for the header and the captions,
// and the calculator font at 12 points for program text.
enum class PrintFont { header, body };

// A 1-bit-per-pixel picture: rows bottom row first, each padded to a multiple of 4 bytes, the
// leftmost pixel in the most significant bit, bit 1 dark. This is the layout of the screen image
// window's framed bitmap and of the slide show's page bitmaps.
struct MonoBitmap {
    int width = 0;
    int height = 0;
    std::span<const std::uint8_t> rows;

    std::size_t row_bytes() const { return static_cast<std::size_t>((width + 31) / 32) * 4; }
    // Pixel (x, y) from the top left; false outside the picture or past the given rows.
    bool dark(int x, int y) const;
};

class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    // The height of the letter "A" in the font: the line height of every layout.
    virtual int line_height(PrintFont font) = 0;
    // The width of text in the font, the sum of its characters' advances.
    virtual int text_width(PrintFont font, std::string_view text) = 0;

    virtual void start_page() = 0;
    virtual void end_page() = 0;

    // Calculator text whose cell starts at (x, y); each character advances by its own width.
    virtual void text(PrintFont font, int x, int y, std::string_view text) = 0;
    // A line in the default pen from (x0, y0) to (x1, y1), the end point not drawn.
    virtual void line(int x0, int y0, int x1, int y1) = 0;
    // The outline of a rectangle whose right and bottom edges are exclusive, one pixel wide.
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    // Stretches the source pixels (sx, sy, sw, sh), counted from the picture's top left, into the
    // destination (x, y, w, h).
    virtual void bitmap(const MonoBitmap& picture, int sx, int sy, int sw, int sh, int x, int y,
                        int w, int h) = 0;
};

}  // namespace travex::print
