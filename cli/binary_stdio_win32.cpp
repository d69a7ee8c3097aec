#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/binary_stdio.h"

namespace travex::cli {

void set_binary_stdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace travex::cli
