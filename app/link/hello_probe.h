#pragma once
// One port of a port search: the link engine's port probe (open, hello, goodbye, close) run to
// its end, with the timer ticks driven by a clock.
#include <functional>

#include "link/link_engine.h"

namespace travex::link {

struct HelloProbeResult {
    bool answered = false;
    int code = 0;  // the open or protocol error of a port that did not answer (not shown)
};

// settings.port_number is replaced by port_number. abort_requested, when given, is asked on every
// tick and stops the probe (the port is then closed again as after any failure).
HelloProbeResult probe_with_hello(SerialPort& port, int port_number, LinkSettings settings,
                                  Clock& clock, const std::function<bool()>& abort_requested = {});

}  // namespace travex::link
