#include <io.h>

#include <cstdio>

#include "cli/terminal.h"

namespace travex::cli {

bool stderr_is_terminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace travex::cli
