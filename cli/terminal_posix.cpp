#include <unistd.h>

#include "cli/terminal.h"

namespace travex::cli {

bool stderr_is_terminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace travex::cli
