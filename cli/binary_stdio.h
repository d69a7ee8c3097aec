#pragma once

namespace travex::cli {

// Puts standard input and output into binary mode, so calculator bytes and CR LF pass through
// unchanged on every platform.
void set_binary_stdio();

}  // namespace travex::cli
