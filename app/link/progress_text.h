#pragma once
// The one line of text of the transfer progress window: a text too wide for the window is cut
// to the longest beginning that still fits together with "...", and "..." follows it.
#include <functional>
#include <string>
#include <string_view>

namespace travex::link {

inline constexpr std::string_view kProgressEllipsis = "...";

// width_of measures a text in pixels as the window draws it.
std::string fit_progress_text(std::string_view text, int max_width,
                              const std::function<int(std::string_view)>& width_of);

}  // namespace travex::link
