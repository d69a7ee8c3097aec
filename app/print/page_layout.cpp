#include "print/page_layout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace travex::print {

bool MonoBitmap::dark(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return false;
    }
    const std::size_t row = static_cast<std::size_t>(height - 1 - y);
    const std::size_t at = row * row_bytes() + static_cast<std::size_t>(x / 8);
    if (at >= rows.size()) {
        return false;
    }
    return ((rows[at] >> (7 - x % 8)) & 1) != 0;
}

namespace {

// clang-format off
constexpr std::array<std::string_view, 14> kTypeNames = {
    "",              // no kind
    "PROGRAM",       // 1
    "SLIDE SHOW",    // 2
    "PICTURE",       // 3
    "LIST",          // 4
    "LIST DB",       // 5
    "MATRIX",        // 6
    "TABLE SETUP",   // 7
    "WINDOW SETUP",  // 8
    "DATA VARIABLE", // 9
    "ZOOM",          // 10
    "TEXT",          // 11
    "BITMAP",        // 12
    "SCREEN IMAGE",  // 13
};
// clang-format on

constexpr std::uint8_t kDataVariableSlash = 0xB8;

}  // namespace

std::string_view header_type_name(FileKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    return index < kTypeNames.size() ? kTypeNames[index] : std::string_view{};
}

std::string_view header_file_name(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

HeaderText header_for(std::string_view path, std::string_view title) {
    return {std::string(header_type_name(file_kind_of(path))), std::string(header_file_name(path)),
            std::string(title)};
}

int draw_header(PrintSurface& surface, const PageDescription& page, const HeaderText& header) {
    const int m = header_margin(page);
    const int lh = surface.line_height(PrintFont::header);
    surface.text(PrintFont::header, m, m, ";FILE TYPE  :  " + header.type_name);
    surface.text(PrintFont::header, m, m + lh, ";FILE NAME  :  " + header.file_name);
    surface.text(PrintFont::header, m, m + 2 * lh, ";TITLE      :  " + header.title);
    const int rule = m + lh / 2 + 3 * lh;
    surface.line(m, rule, page.width - m, rule);
    return m + 6 * lh;
}

namespace {

// Collects the characters printed one after another on a line, so that a line goes to the
// surface as one text call placed at its first character.
class TextRun {
public:
    explicit TextRun(PrintSurface& surface) : surface_(surface) {}

    void add(int x, int y, char c) {
        if (text_.empty()) {
            x_ = x;
            y_ = y;
        }
        text_.push_back(c);
    }
    void flush() {
        if (!text_.empty()) {
            surface_.text(PrintFont::body, x_, y_, text_);
            text_.clear();
        }
    }

private:
    PrintSurface& surface_;
    std::string text_;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace

bool print_program(PrintSurface& surface, const PageDescription& page,
                   const ProgramDocument& document) {
    const HeaderText header = header_for(document.path, document.title);
    const bool data_variable = file_kind_of(document.path) == FileKind::data_variable;
    const int left = page.dpi_y / 2;
    const int lh = surface.line_height(PrintFont::header);
    const int body_start = header_margin(page) + 6 * lh;
    // With no room for one line under the header every character would take a page of its own.
    if (body_start >= page.height - left || left >= page.width - left) {
        return false;
    }
    const int line = surface.line_height(PrintFont::body);

    surface.start_page();
    draw_header(surface, page, header);
    TextRun run(surface);
    int x = left;
    int y = body_start;
    const std::string& text = document.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF is one line break; a lone CR or LF is one as well.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            run.flush();
            y += line;
            x = left;
            continue;
        }
        if (data_variable && static_cast<std::uint8_t>(c) == kDataVariableSlash) {
            c = '/';
        }
        if (y >= page.height - left) {
            run.flush();
            surface.end_page();
            surface.start_page();
            draw_header(surface, page, header);
            y = body_start;
            x = left;
        }
        run.add(x, y, c);
        x += surface.text_width(PrintFont::body, std::string_view(&c, 1));
        if (x >= page.width - left) {
            run.flush();
            y += line;
            x = left;
        }
    }
    run.flush();
    surface.end_page();
    return true;
}

std::optional<PictureScale> picture_scale(const PageDescription& page, int picture_width,
                                          int picture_height, int zoom_index) {
    if (page.screen_dpi_x <= 0 || zoom_index < 0) {
        return std::nullopt;
    }
    const int r = page.dpi_x / page.screen_dpi_x;
    const int k = zoom_index + 1;
    const PictureScale scale{picture_width * k * r / 4, picture_height * k * r / 4};
    if (scale.width <= 0 || scale.height <= 0) {
        return std::nullopt;
    }
    return scale;
}

namespace {

std::string upper_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

bool print_picture(PrintSurface& surface, const PageDescription& page,
                   const PictureDocument& document) {
    const int width = document.framed.width - 2;
    const int height = document.framed.height - 2;
    const auto scale = picture_scale(page, width, height, document.zoom_index);
    if (!scale) {
        return false;
    }
    const int m = header_margin(page);
    surface.start_page();
    int top = draw_header(surface, page, header_for(document.path, ""));
    if (file_kind_of(document.path) == FileKind::picture) {
        std::string heading = ";";
        heading += upper_case(document.variable_name);
        surface.text(PrintFont::header, m, top, heading);
        top += 3 * surface.line_height(PrintFont::header);
    }
    surface.rectangle(m, top, m + scale->width + 3, top + scale->height + 3);
    surface.bitmap(document.framed, 1, 1, width, height, m + 1, top + 1, scale->width,
                   scale->height);
    surface.end_page();
    return true;
}

std::optional<SlideGrid> slide_grid(const PageDescription& page, int grid_slide_width) {
    if (page.screen_dpi_x <= 0) {
        return std::nullopt;
    }
    SlideGrid grid;
    grid.scale = page.dpi_x / page.screen_dpi_x;
    grid.cell_height = 124 * grid.scale + 2;
    grid.cell_width = grid.scale * (grid_slide_width + 40) + 2;
    grid.columns = grid.cell_width > 0 ? (page.width - page.dpi_x) / grid.cell_width : 0;
    if (grid.columns <= 0 || grid.scale <= 0) {
        return std::nullopt;
    }
    return grid;
}

bool print_slides(PrintSurface& surface, const PageDescription& page,
                  const SlideShowDocument& document) {
    const auto grid = slide_grid(page, document.grid_slide_width);
    if (!grid) {
        return false;
    }
    const int d = grid->scale;
    const int m = header_margin(page);
    const HeaderText header = header_for(document.path, document.title);
    surface.start_page();
    const int body_start = draw_header(surface, page, header);
    int x = m;
    int y = body_start;
    int column = 0;
    const std::size_t count = std::min(document.slides.size(), kMaxPrintedSlides);
    for (std::size_t i = 0; i < count; ++i) {
        const Slide& slide = document.slides[i];
        const int w = slide.picture.width;
        surface.rectangle(x, y, x + grid->cell_width + 1, y + grid->cell_height + 1);
        surface.rectangle(x + 20 * d, y + 20 * d, x + d * (w + 20) + 3, y + 84 * d + 3);
        surface.bitmap(slide.picture, 0, 0, w, slide.picture.height, x + 20 * d + 1, y + 20 * d + 1,
                       d * w, 64 * d);
        char caption[24];
        std::snprintf(caption, sizeof caption, "No.%d", slide.number);
        const int caption_width = surface.text_width(PrintFont::header, caption);
        surface.text(PrintFont::header, x + (grid->cell_width - caption_width) / 2,
                     y + grid->cell_height - 25 * d, caption);

        if (++column < grid->columns) {
            x += grid->cell_width;
            continue;
        }
        column = 0;
        x = m;
        // A full last row ends the job on this page rather than on an empty one.
        if (page.height < y + 2 * grid->cell_height && i + 1 < count) {
            surface.end_page();
            surface.start_page();
            draw_header(surface, page, header);
            y = body_start;
        } else {
            y += grid->cell_height;
        }
    }
    surface.end_page();
    return true;
}

}  // namespace travex::print
