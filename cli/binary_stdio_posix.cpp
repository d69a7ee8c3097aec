#include "cli/binary_stdio.h"

namespace travex::cli {

void set_binary_stdio() {}  // POSIX streams never translate line ends.

}  // namespace travex::cli
