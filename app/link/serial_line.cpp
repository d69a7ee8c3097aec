#include "link/serial_line.h"

#include <atomic>

#include "link/serial_port.h"

namespace travex {
namespace {

std::atomic<bool> g_port_held{false};

}  // namespace

PortOpenResult claim_link_port(bool this_port_open, int port_number) {
    bool expected = false;
    if (this_port_open || !g_port_held.compare_exchange_strong(expected, true)) {
        return PortOpenResult::in_use;
    }
    if (!is_valid_port_number(port_number)) {
        g_port_held = false;
        return PortOpenResult::no_such_port;
    }
    return PortOpenResult::ok;
}

void release_link_port() {
    g_port_held = false;
}

}  // namespace travex
