#pragma once
// One print job's layout as the print command runs it: whether the page can take it at all
// (when not, nothing is printed and no printing dialog is shown) and the drawing of its pages.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "print/page_layout.h"

namespace travex::print {

struct PrintLayout {
    std::function<bool(const PageDescription&)> fits;
    // Draws every page; false when it printed nothing.
    std::function<bool(PrintSurface&, const PageDescription&)> draw;
};

// The layouts of the three document kinds; each keeps its own copy of the document.
PrintLayout program_layout(ProgramDocument document);
// framed_pixels: the framed picture's rows (see MonoBitmap), framed_width × (picture height + 2).
PrintLayout picture_layout(std::string path, Bytes framed_pixels, int framed_width,
                           int framed_height, int zoom_index, std::string variable_name);
struct SlidePicture {
    int number = 0;
    int width = 0;
    int height = 0;
    Bytes rows;
};
PrintLayout slides_layout(std::string path, std::string title, std::vector<SlidePicture> slides,
                          int grid_slide_width);

}  // namespace travex::print
