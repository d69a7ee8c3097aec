#pragma once
// The far end of a serial line as a byte stream: what the computer sends goes in, what the far
// end has to say comes out. The pseudo-terminal server pumps bytes between a peer and a
// terminal device.
#include <cstdint>
#include <span>

#include "base/bytes.h"

namespace travex::sim {

class BytePeer {
public:
    virtual ~BytePeer() = default;
    // Bytes that arrived from the computer at now_ms.
    virtual void receive(std::span<const std::uint8_t> bytes, std::uint64_t now_ms) = 0;
    // The bytes the peer sends at now_ms (empty when it has nothing to say yet).
    virtual Bytes take_output(std::uint64_t now_ms) = 0;
};

// Sends back every byte it receives.
class EchoPeer final : public BytePeer {
public:
    void receive(std::span<const std::uint8_t> bytes, std::uint64_t) override {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    }
    Bytes take_output(std::uint64_t) override {
        Bytes out;
        out.swap(pending_);
        return out;
    }

private:
    Bytes pending_;
};

}  // namespace travex::sim
