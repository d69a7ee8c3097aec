// Prints a picture file or a slide show file on a printer of the Wine prefix through the same
// printer surface and page layouts as TRAVEX.exe, for the Wine printing test (the screen image
// and slide show windows hand their documents to these layouts).
//   print_surface_check PRINTER picture FILE ZOOM_INDEX
//   print_surface_check PRINTER slides FILE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "codec/token_tables.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"
#include "print/print_layout.h"
#include "print/printer_surface_win32.h"
#include "slideshow/slide_show.h"

namespace {

int fail(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    return 1;
}

std::optional<travex::print::PrintLayout> picture(const std::string& path, int zoom) {
    const auto bytes = travex::real_file_system().read_file(path);
    if (!bytes) {
        return std::nullopt;
    }
    const auto file =
        travex::image::read_picture_file(*bytes, travex::image::extension_digit(path));
    if (file.message != travex::MessageId::none) {
        return std::nullopt;
    }
    const auto framed = travex::image::frame_screen(file.screen);
    const auto code =
        static_cast<std::uint16_t>(file.variable_code[1] << 8 | file.variable_code[0]);
    return travex::print::picture_layout(path, framed.pixels, framed.framed_width(),
                                         travex::image::kFramedHeight, zoom,
                                         std::string(travex::variable_name(code)));
}

std::optional<travex::print::PrintLayout> slides(const std::string& path) {
    const auto bytes = travex::real_file_system().read_file(path);
    if (!bytes) {
        return std::nullopt;
    }
    const auto read = travex::slides::read_slide_show(*bytes, travex::image::extension_digit(path));
    if (read.message != travex::MessageId::none) {
        return std::nullopt;
    }
    std::vector<travex::print::SlidePicture> pages;
    int number = 0;
    for (const auto& page : read.show.pages) {
        pages.push_back({++number, travex::image::kWideWidth, travex::image::kScreenHeight,
                         travex::image::unframed_pixels(page.decoded.screen_data())});
    }
    return travex::print::slides_layout(path, read.show.title_text(), std::move(pages),
                                        travex::image::kWideWidth);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        return fail("usage: print_surface_check PRINTER picture|slides FILE [ZOOM_INDEX]");
    }
    const std::string kind = argv[2];
    const std::string path = argv[3];
    const auto layout =
        kind == "picture" ? picture(path, argc > 4 ? std::atoi(argv[4]) : 3) : slides(path);
    if (!layout) {
        return fail("cannot read " + path);
    }
    HDC dc = CreateDCA(nullptr, argv[1], nullptr, nullptr);
    if (dc == nullptr) {
        return fail("no device context for the printer");
    }
    const auto page = travex::print::device_page(dc);
    std::printf("page %d x %d at %d x %d dpi\n", page.width, page.height, page.dpi_x, page.dpi_y);
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = path.c_str();
    if (StartDocA(dc, &info) <= 0) {
        DeleteDC(dc);
        return fail("StartDoc");
    }
    HFONT body = travex::print::printer_body_font(dc);
    bool printed = false;
    bool ok = false;
    {
        travex::print::GdiSurface surface(dc, body);
        printed = layout->draw(surface, page);
        ok = surface.ok();
        std::printf("%d pages\n", surface.pages());
    }
    if (printed && ok) {
        EndDoc(dc);
    } else {
        AbortDoc(dc);
    }
    DeleteObject(body);
    DeleteDC(dc);
    return printed && ok ? 0 : fail("nothing printed");
}
