#pragma once
// Printing to a PDF file instead of a printer: pages of a stated paper size and resolution,
// text in the calculator font embedded in the file. Available in the Linux build, where cairo
// draws the pages.
#include <functional>
#include <optional>
#include <string>

#include "base/bytes.h"
#include "print/page_layout.h"

namespace travex::print {

enum class Paper { a4, letter };

// Pixels per inch of the PDF's device pixels: the resolution the layouts work at.
inline constexpr int kPdfResolution = 600;
// The header and caption font's size; the printer's default font stands about this high.
inline constexpr int kPdfHeaderPoints = 10;

// The page a layout sees: the paper at kPdfResolution, the screen at 96 pixels per inch.
PageDescription pdf_page(Paper paper);

struct PdfResult {
    std::optional<Bytes> pdf;  // the file, when the layout printed anything
    std::string problem;       // why there is none
};

// Runs the layout on PDF pages and answers the finished file. font_path is the calculator font
// (WTMQV7.TTF). A layout that prints nothing (answers false) gives no file.
PdfResult render_pdf(Paper paper, const std::string& font_path,
                     const std::function<bool(PrintSurface&, const PageDescription&)>& layout);

}  // namespace travex::print
