#include "link/serial_line.h"

#include <atomic>

#include "link/serial_port.h"

namespace travex {
namespace {

// Link ports the process holds, and how many it may hold (one, but for the parallel probe).
std::atomic<int> g_ports_held{0};
std::atomic<int> g_port_limit{1};

}  // namespace

PortOpenResult claim_link_port(bool this_port_open, int port_number) {
    if (this_port_open) {
        return PortOpenResult::in_use;
    }
    int held = g_ports_held.load();
    do {
        if (held >= g_port_limit.load()) {
            return PortOpenResult::in_use;
        }
    } while (!g_ports_held.compare_exchange_weak(held, held + 1));
    if (!is_valid_port_number(port_number)) {
        release_link_port();
        return PortOpenResult::no_such_port;
    }
    return PortOpenResult::ok;
}

void release_link_port() {
    int held = g_ports_held.load();
    while (held > 0 && !g_ports_held.compare_exchange_weak(held, held - 1)) {
    }
}

ManyLinkPorts::ManyLinkPorts(int ports) : previous_(g_port_limit.exchange(ports)) {}

ManyLinkPorts::~ManyLinkPorts() {
    g_port_limit = previous_;
}

}  // namespace travex
