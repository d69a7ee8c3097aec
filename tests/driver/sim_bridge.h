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
    SimBridge();

    // Descriptors as the chip reports them (tests may replace them).
    std::vector<uint8_t> device_descriptor;
    std::vector<uint8_t> config_descriptor;

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

    // Seam calls (the simulated kernel forwards them; its lock is held).
    Status GetDescriptor(uint8_t type, uint8_t* buffer, uint32_t length, uint32_t* received);
    Status SelectConfiguration(const uint8_t* config, uint32_t length, InterfaceInfo* selected);
    Status Vendor(uint8_t request, uint16_t value);
    // Removes a pending transfer; true when it was pending.
    bool Take(UsbTransfer* transfer, PendingBulk* taken);
    std::vector<PendingBulk> TakePipe(void* pipe);

    // One step of the bus: the completions due now.
    struct Completion {
        PendingBulk bulk;
        uint32_t count;
    };
    std::vector<Completion> Step();

    static void* PipeHandle(uint32_t index) {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(0x100 + index));
    }

    std::vector<PendingBulk> pending;
};

}  // namespace qmub::sim
