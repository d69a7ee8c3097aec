#pragma once
// The printed page: where the three-line header and its rule go, where the body starts, and how
// program text, a screen picture and a slide show are laid out page by page on a PrintSurface.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_kind.h"
#include "print/print_surface.h"

namespace travex::print {

// The page as the printer reports it: printable size in device pixels and pixels per inch, and
// the screen's horizontal pixels per inch that pictures are scaled from.
struct PageDescription {
    int width = 0;
    int height = 0;
    int dpi_x = 0;
    int dpi_y = 0;
    int screen_dpi_x = 96;
};

// The header's type name of a path's file kind ("PROGRAM", "SLIDE SHOW", ...); empty for paths
// of no known kind.
std::string_view header_type_name(FileKind kind);

// The file name of a path: what follows its last backslash (or slash).
std::string_view header_file_name(std::string_view path);

struct HeaderText {
    std::string type_name;
    std::string file_name;
    std::string title;  // empty for screen images
};

// The header of the document at path.
HeaderText header_for(std::string_view path, std::string_view title);

// The header's margin m (half the horizontal pixels per inch).
inline int header_margin(const PageDescription& page) {
    return page.dpi_x / 2;
}

// Draws the three header lines at (m, m), (m, m + Lh), (m, m + 2·Lh) and the rule at
// y = m + Lh ÷ 2 + 3·Lh; answers the body start m + 6·Lh.
int draw_header(PrintSurface& surface, const PageDescription& page, const HeaderText& header);

// The text of a program editor (or of a data or text file shown in one).
struct ProgramDocument {
    std::string path;   // window title: the file's path or the untitled name
    std::string title;  // title box text, at most 40 characters
    std::string text;   // calculator text, lines ended by CR LF
};

// Prints the text at 12 points from the left margin (half the vertical pixels per inch): each
// line break moves down one line, a line reaching the right margin wraps, a page full to the
// bottom margin continues on a new page under a new header. In a data variable file the byte
// 0xB8 prints as "/". Answers false, printing nothing, when not even one line fits below the
// header.
bool print_program(PrintSurface& surface, const PageDescription& page,
                   const ProgramDocument& document);

// A screen image window's picture.
struct PictureDocument {
    std::string path;           // window title
    MonoBitmap framed;          // the framed picture, (W + 2) × (H + 2)
    int zoom_index = 3;         // 0..7: 25 % .. 200 %
    std::string variable_name;  // a picture file's variable ("Pict1"); empty otherwise
};

// Picture width W·k·r ÷ 4 and height H·k·r ÷ 4 on the page (k = zoom index + 1, r = printer
// ÷ screen pixels per inch); nothing when either comes out 0 or less.
struct PictureScale {
    int width = 0;
    int height = 0;
};
std::optional<PictureScale> picture_scale(const PageDescription& page, int picture_width,
                                          int picture_height, int zoom_index);

// Prints the header without title, for a picture file the ";" + variable name line, then the
// picture in a one-pixel frame. Answers false, printing nothing, when the scale is 0.
bool print_picture(PrintSurface& surface, const PageDescription& page,
                   const PictureDocument& document);

struct Slide {
    int number = 0;      // from 1
    MonoBitmap picture;  // the slide's page, width × 64
};

struct SlideShowDocument {
    std::string path;
    std::string title;
    std::vector<Slide> slides;
    int grid_slide_width = 132;  // w₀ of the model in force
};

inline constexpr std::size_t kMaxPrintedSlides = 100;

// The grid of printed slides: d = printer ÷ screen pixels per inch, cell height 124·d + 2,
// cell width d·(w₀ + 40) + 2 and as many columns as fit the page less one inch.
struct SlideGrid {
    int scale = 0;
    int cell_width = 0;
    int cell_height = 0;
    int columns = 0;
};
// Nothing when the columns or the scale come out 0 or less.
std::optional<SlideGrid> slide_grid(const PageDescription& page, int grid_slide_width);

// Prints the first 100 slides in the grid, row by row, each with its frame, picture and "No.n"
// caption, and a new page with its header when the next row would not fit. Answers false,
// printing nothing, when there is no grid.
bool print_slides(PrintSurface& surface, const PageDescription& page,
                  const SlideShowDocument& document);

}  // namespace travex::print
