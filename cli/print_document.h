#pragma once
// A file named on the print command line, read into the document a page layout prints: a
// program, data or text file as the text an editor shows, a picture or bitmap as a screen image
// window's picture, a slide show as its pages.
#include <optional>
#include <string>

#include "print/pdf_surface.h"
#include "print/print_layout.h"

namespace travex::cli {

// The print job of the file at path (zoom_index 0..7 for pictures), or nothing after the
// problem was reported: the file cannot be read, is of a kind that does not print, or is
// damaged.
std::optional<print::PrintLayout> load_print_job(const std::string& path, int zoom_index);

// Writes the job's pages as a PDF to out (written atomically); kExitOk, or kExitFailure after
// the problem was reported. The Windows build has no PDF writer and always fails.
int write_print_pdf(const std::string& out, const print::PrintLayout& job, print::Paper paper,
                    const std::optional<std::string>& font_path);

}  // namespace travex::cli
