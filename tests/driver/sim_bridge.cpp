#include "sim_bridge.h"

#include <algorithm>

namespace qmub::sim {

SimBridge::SimBridge() {
    device_descriptor = {18,   1,    0x00, 0x02, 0,    0, 0, 64, 0x09,
                         0x12, 0x01, 0x00, 0x00, 0x01, 1, 2, 3,  1};
    // One configuration, one interface: bulk in 0x81, bulk out 0x02, interrupt in 0x83.
    config_descriptor = {9, 2, 39,   0, 1,  1,    0, 0x80, 50,  // configuration
                         9, 4, 0,    0, 3,  0xFF, 0, 0,    0,   // interface 0
                         7, 5, 0x81, 2, 64, 0,    0,            // bulk in
                         7, 5, 0x02, 2, 64, 0,    0,            // bulk out
                         7, 5, 0x83, 3, 8,  0,    1};           // interrupt in
}

void SimBridge::FeedFromPeer(const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (from_peer.size() >= kChipBuffer)
            ++would_drop;
        from_peer.push_back(data[i]);
    }
}

Status SimBridge::GetDescriptor(uint8_t type, uint8_t* buffer, uint32_t length,
                                uint32_t* received) {
    const std::vector<uint8_t>& d = type == 1 ? device_descriptor : config_descriptor;
    uint32_t n = std::min<uint32_t>(length, static_cast<uint32_t>(d.size()));
    std::copy_n(d.begin(), n, buffer);
    *received = n;
    return kSuccess;
}

Status SimBridge::SelectConfiguration(const uint8_t*, uint32_t, InterfaceInfo* selected) {
    // The chip's three endpoints: bulk in, bulk out, interrupt in.
    const PipeInfo pipes[] = {{64, 0x81, 0, 2, PipeHandle(0)},
                              {64, 0x02, 0, 2, PipeHandle(1)},
                              {8, 0x83, 1, 3, PipeHandle(2)}};
    selected->pipe_count = 3;
    std::copy(std::begin(pipes), std::end(pipes), selected->pipes);
    return kSuccess;
}

Status SimBridge::Vendor(uint8_t request, uint16_t value) {
    vendor_calls.push_back({request, value});
    return vendor_status;
}

bool SimBridge::Take(UsbTransfer* transfer, PendingBulk* taken) {
    auto it = std::find_if(pending.begin(), pending.end(),
                           [&](const PendingBulk& p) { return p.transfer == transfer; });
    if (it == pending.end())
        return false;
    *taken = *it;
    pending.erase(it);
    return true;
}

std::vector<PendingBulk> SimBridge::TakePipe(void* pipe) {
    std::vector<PendingBulk> taken;
    bool in = pipe == PipeHandle(0);
    for (auto it = pending.begin(); it != pending.end();) {
        if (it->in == in) {
            taken.push_back(*it);
            it = pending.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

std::vector<SimBridge::Completion> SimBridge::Step() {
    std::vector<Completion> done;
    for (auto it = pending.begin(); it != pending.end();) {
        uint32_t n = std::min(
            it->length, it->in ? static_cast<uint32_t>(from_peer.size()) : bulk_out_accept_limit);
        if (it->in && n == 0) {
            ++it;
            continue;
        }
        for (uint32_t i = 0; i < n; ++i) {
            if (it->in) {
                it->buffer[i] = from_peer.front();
                from_peer.pop_front();
            } else {
                to_peer.push_back(it->buffer[i]);
            }
        }
        if (!it->in)
            out_chunks.push_back(n);
        done.push_back({*it, n});
        it = pending.erase(it);
    }
    return done;
}

}  // namespace qmub::sim
