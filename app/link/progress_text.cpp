#include "link/progress_text.h"

namespace travex::link {

std::string fit_progress_text(std::string_view text, int max_width,
                              const std::function<int(std::string_view)>& width_of) {
    if (width_of(text) <= max_width) {
        return std::string(text);
    }
    // Widths grow with the length, so the longest fitting beginning is found by halving.
    std::size_t fits = 0;
    std::size_t too_long = text.size();
    while (too_long - fits > 1) {
        const std::size_t middle = fits + (too_long - fits) / 2;
        std::string candidate(text.substr(0, middle));
        candidate += kProgressEllipsis;
        if (width_of(candidate) <= max_width) {
            fits = middle;
        } else {
            too_long = middle;
        }
    }
    std::string cut(text.substr(0, fits));
    cut += kProgressEllipsis;
    return cut;
}

}  // namespace travex::link
