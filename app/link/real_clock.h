#pragma once
// The process's real millisecond clock: a monotonic count and a blocking sleep.
#include "link/serial_port.h"

namespace travex {

Clock& real_clock();

}  // namespace travex
