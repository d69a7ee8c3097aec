// A simulated USB-to-UART bridge chip: answers the descriptors, the configuration and the two
// vendor requests, and moves bytes between its bulk pipes and a byte peer.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "core/kernel_services.h"

namespace qmub::sim {

struct VendorCall {
    uint8_t request;
    uint16_t value;
};

struct PendingBulk {
    UsbTransfer* transfer;
    bool in;
    uint8_t* buffer;
    uint32_t length;
    TransferDone done;
    void* context;
};

class SimBridge {
public:
    // Descriptors as the chip reports them (tests may replace them).
    std::vector<uint8_t> device_descriptor = {18,   1,    0x00, 0x02, 0,    0, 0, 64, 0x09,
                                              0x12, 0x01, 0x00, 0x00, 0x01, 1, 2, 3,  1};
    // One configuration, one interface: bulk in 0x81, bulk out 0x02, interrupt in 0x83.
    std::vector<uint8_t> config_descriptor = {
        9, 2, 39,   0, 1,  1,    0, 0x80, 50,  // configuration
        9, 4, 0,    0, 3,  0xFF, 0, 0,    0,   // interface 0
        7, 5, 0x81, 2, 64, 0,    0,            // bulk in
        7, 5, 0x02, 2, 64, 0,    0,            // bulk out
        7, 5, 0x83, 3, 8,  0,    1};           // interrupt in

    std::vector<VendorCall> vendor_calls;
    Status vendor_status = kSuccess;
    uint32_t bulk_out_accept_limit = 0xFFFFFFFF;  // bytes the chip takes per transfer

    // Bytes from the peer wait in the chip until a bulk-in transfer fetches them. A real chip
    // has a small buffer: what would not fit in it is counted as what it would have dropped.
    static constexpr size_t kChipBuffer = 512;
    std::deque<uint8_t> from_peer;
    uint64_t would_drop = 0;
    std::vector<uint8_t> to_peer;
    std::vector<uint32_t> out_chunks;  // the size of each bulk-out transfer

    void FeedFromPeer(const uint8_t* data, size_t n);

    // Called by the simulated kernel with its lock held.
    // Removes a pending transfer; true when it was pending.
    bool Take(UsbTransfer* transfer, PendingBulk* taken);
    std::vector<PendingBulk> TakePipe(void* pipe);

    // One step of the bus: the transfers that complete now, each with its byte count.
    std::vector<PendingBulk> Step();

    static void* PipeHandle(uint32_t index) {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(0x100 + index));
    }

    std::vector<PendingBulk> pending;
};

}  // namespace qmub::sim
