// A calculator that lies about a block's length: the receive fails at once with "Communication
// has failed." (code 5) instead of waiting for bytes that never complete the block, and stores
// nothing.
#include <gtest/gtest.h>

#include "base/le_bytes.h"
#include "link_test_support.h"

namespace travex {
namespace {

// The simulated calculator, except that the first item block it sends announces `lie` and
// only its start is sent.
class LyingCalculator final : public PortPeer {
public:
    explicit LyingCalculator(std::uint32_t lie) : lie_(lie) {}
    Bytes on_receive(std::span<const std::uint8_t> bytes) override {
        Bytes answer = calculator.on_receive(bytes);
        // The 0x15 block: its length field counts everything but header and checksum.
        if (!lied_ && answer.size() > 19 && answer[0] == '7' &&
            read_u32le(answer, 2) + 4 == answer.size()) {
            lied_ = true;
            answer.assign({'7', '5'});
            append_u32le(answer, lie_);
        }
        return answer;
    }
    sim::SimCalculator calculator;

private:
    std::uint32_t lie_;
    bool lied_ = false;
};

TEST(LyingPeer, AbsurdItemBlockLengthFailsAtOnceWithCode5) {
    // Lengths beyond what the item information announced, up to the largest the field holds.
    for (const std::uint32_t lie : {4000u, 0xFFFFFFFFu}) {
        LyingCalculator peer(lie);
        linktest::put_program(peer.calculator, "ONE", linktest::pattern(300, 1));
        linktest::SimRig rig;
        VirtualPort port(rig.clock, &peer, {});
        link::LinkSession session(port, rig.clock, rig.settings, rig.fs, rig.ui, rig.progress);
        EXPECT_EQ(session.receive(linktest::choose({"one.g6p"}), "in").code,
                  link::code::kCommunicationFailed)
            << lie;
        EXPECT_TRUE(rig.fs.files.empty()) << "nothing of the lying block is stored";
        EXPECT_FALSE(port.is_open());
    }
}

}  // namespace
}  // namespace travex
