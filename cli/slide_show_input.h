#pragma once
// A slide show file named on the command line, read and checked for the slides and retitle
// commands.
#include <optional>
#include <string>

#include "slideshow/slide_show.h"

namespace travex::cli {

// The slide show, or nothing after the problem was printed (the file cannot be read, is not a
// slide show, has no data, or has a damaged record, named with how it is damaged).
std::optional<slides::SlideShow> read_slide_show_input(const std::string& path);

}  // namespace travex::cli
