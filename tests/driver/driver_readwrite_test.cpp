// Reads under the serial time-out rules, writes, the receive ring and pump.
#include "driver_test.h"

namespace qmub::sim {
namespace {

using namespace serial;

class DriverReadWrite : public DriverTest {
protected:
    void SetUp() override { StartAndOpen(); }
};

TEST_F(DriverReadWrite, HeldReadsTimeOutAtTheTickTheirTimeoutsGive) {
    struct Row {
        uint32_t interval, constant;
        const char* waiting;
        uint64_t ticks;  // the read timer fires once per millisecond
    };
    const Row rows[] = {
        {3, 300, "abc", 1},  // the application's values: the first tick with data ends it
        {1000, 0, "", 77},   // the default interval: more than 1000 / 13 = 76 ticks
        {0, 120, "", 11},    // constant only: constant over 12 ticks
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ticks);
        ASSERT_EQ(SetTimeouts(row.interval, row.constant), kSuccess);
        h.Feed(row.waiting);
        h.kernel.Advance(1);
        uint64_t start = h.kernel.now_us();
        SimRequest* r = h.Read(10);
        ASSERT_TRUE(Settle(r, 100000));
        EXPECT_EQ((r->completed_at_us - start) / 1000, row.ticks);
        EXPECT_EQ(r->status, kTimeout);
        EXPECT_EQ(h.ReadText(r), row.waiting);
    }
}

TEST_F(DriverReadWrite, WriteSizesAtTheEdgesAndTheCountTheDeviceAccepted) {
    SimRequest* big = h.Write(std::vector<uint8_t>(65536, 7));
    ASSERT_TRUE(Settle(big, 5));
    EXPECT_EQ(big->information, 65536u);
    EXPECT_EQ(h.Write(std::vector<uint8_t>(65537, 7))->status, kInvalidParameter);
    EXPECT_EQ(h.Write(std::vector<uint8_t>{})->status, kSuccess);
    h.kernel.bridge().bulk_out_accept_limit = 10;
    SimRequest* w = h.Write(std::string(30, 'a'));
    ASSERT_TRUE(Settle(w, 5));
    EXPECT_EQ(w->information, 10u);
    EXPECT_EQ(h.kernel.bridge().to_peer.size(), 65536u + 10);
}

TEST_F(DriverReadWrite, DtrMarkersAreNotSentAndAPrefixIs) {
    const std::string enable = "Quilmar_QMUB417A_DTR_Func_Enable";
    EXPECT_EQ(h.Write(enable)->information, 32u);
    EXPECT_EQ(h.Write(enable + "12345678")->information, 40u);
    h.kernel.Advance(2);
    EXPECT_TRUE(h.kernel.bridge().to_peer.empty());
    SimRequest* prefix = h.Write(enable.substr(0, 31));
    ASSERT_TRUE(Settle(prefix, 5));
    EXPECT_EQ(h.kernel.bridge().to_peer.size(), 31u);
}

TEST_F(DriverReadWrite, WriteWithoutRoomForACopyGoesOutIn256ByteChunks) {
    h.kernel.fail_allocation = [](size_t n) { return n == 1000; };
    std::vector<uint8_t> data(1000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    SimRequest* w = h.Write(data);
    ASSERT_TRUE(Settle(w, 10));
    EXPECT_EQ(h.kernel.bridge().out_chunks, (std::vector<uint32_t>{256, 256, 256, 232}));
    EXPECT_EQ(w->information, 1000u);
    EXPECT_EQ(h.kernel.bridge().to_peer, data);
}

// The ring of 3072 bytes: a packet ending exactly at its end, then one across it.
TEST_F(DriverReadWrite, RingWrapsAtItsEndAndKeepsOrder) {
    ASSERT_EQ(kSuccess, SetTimeouts(~0u, 0));
    h.Feed(std::string(3008, 'a'));  // 47 packets of 64
    h.kernel.Advance(10);
    EXPECT_EQ(h.Read(3008)->information, 3008u);
    h.Feed(std::string(64, 'b'));
    h.kernel.Advance(1);
    EXPECT_EQ(h.ext.ring_head, 0u);
    EXPECT_EQ(h.ReadText(h.Read(100)), std::string(64, 'b'));
    h.Feed(std::string(3000, 'c'));
    h.kernel.Advance(10);
    EXPECT_EQ(h.Read(3000)->information, 3000u);
    const std::string across = std::string(64, 'd') + "0123456789abcdef";
    h.Feed(across);
    h.kernel.Advance(2);
    EXPECT_EQ(h.ext.ring_head, 8u);
    EXPECT_EQ(h.ReadText(h.Read(100)), across);
}

TEST_F(DriverReadWrite, PumpHoldsWhenTheRingIsFullAndNothingIsOverwritten) {
    ASSERT_EQ(kSuccess, SetTimeouts(~0u, 0));
    std::string stream;
    for (int i = 0; i < 5000; ++i)
        stream += static_cast<char>(i % 251);
    h.Feed(stream);
    h.kernel.Advance(50);
    // The ring keeps one slot free and takes whole packets only.
    EXPECT_LE(h.RingBytes(), kRingSize - 1);
    EXPECT_GT(h.RingBytes(), kRingSize - 1 - kPacketSize);
    EXPECT_TRUE(h.ext.pump_held);
    EXPECT_EQ(h.kernel.bridge().from_peer.size(), 5000u - h.RingBytes());
    std::string got;
    for (int i = 0; i < 50 && got.size() < stream.size(); ++i) {
        got += h.ReadText(h.Read(1000));
        h.kernel.Advance(20);
    }
    EXPECT_EQ(got, stream);
}

TEST_F(DriverReadWrite, RemovalCompletesHeldReadWaitAndWriteExactlyOnce) {
    ASSERT_EQ(Control(kSetWaitMask, kEvRxChar)->status, kSuccess);
    SimRequest* wait = h.Control(kWaitOnMask, {}, 4);
    SimRequest* read = h.Read(10);
    SimRequest* write = h.Write(std::string("bye"));
    h.Pnp(irp::kSurpriseRemoval);
    h.Pnp(irp::kRemoveDevice);
    for (SimRequest* r : {wait, read, write})
        EXPECT_EQ(r->completions.load(), 1);
    EXPECT_EQ(read->information, 0u);
    EXPECT_EQ(DriverHarness::WordAt(wait), 0u);
    EXPECT_TRUE(h.kernel.device_deleted);
    EXPECT_EQ(h.kernel.pending_requests(), 0u);
}

}  // namespace
}  // namespace qmub::sim
