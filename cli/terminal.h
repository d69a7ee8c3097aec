#pragma once

namespace travex::cli {

// Whether standard error is a terminal: the progress line redraws itself only there.
bool stderr_is_terminal();

}  // namespace travex::cli
