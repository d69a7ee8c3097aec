#include "sim_bridge.h"

#include <algorithm>

namespace qmub::sim {

void SimBridge::FeedFromPeer(const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (from_peer.size() >= kChipBuffer)
            ++would_drop;
        from_peer.push_back(data[i]);
    }
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

std::vector<PendingBulk> SimBridge::Step() {
    std::vector<PendingBulk> done;
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
        done.push_back(*it);
        done.back().length = n;
        it = pending.erase(it);
    }
    return done;
}

}  // namespace qmub::sim
