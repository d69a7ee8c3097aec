// Open and close, reads under the serial time-out rules, writes, the receive ring and pump.
#include "driver_test.h"

namespace qmub::sim {
namespace {

using namespace serial;

class DriverReadWrite : public DriverTest {
protected:
    void SetUp() override { StartAndOpen(); }
    // Ticks the held read lived: the read timer fires once per millisecond.
    uint64_t TicksUntilDone(SimRequest* r) {
        uint64_t start = h.kernel.now_us();
        EXPECT_TRUE(Settle(r, 100000));
        return (r->completed_at_us - start) / 1000;
    }
};
using DriverOpen = DriverTest;
using DriverModemReply = DriverTest;
using DriverWrite = DriverTest;

TEST_F(DriverReadWrite, ASecondOpenIsRefusedAndCloseAllowsTheNext) {
    EXPECT_TRUE(h.kernel.bridge().HasPendingIn());
    EXPECT_EQ(h.Open()->status, kInsufficientResources);
    h.CloseHandle(open);
    EXPECT_EQ(h.ext.open_count.Load(), 0);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_FALSE(h.kernel.bridge().HasPendingIn());
    EXPECT_EQ(h.kernel.live_transfers, 0);
    SimRequest* again = h.Open(u"\\PIPE01");
    EXPECT_EQ(again->status, kSuccess);
    EXPECT_EQ(again->file_context, &h.ext.interface_info.pipes[1]);
    h.CloseHandle(again);
    EXPECT_EQ(h.ext.pipe_open[1], 0);
}

TEST_F(DriverOpen, RefusedWithoutFileObjectOrPipesOrStart) {
    ASSERT_EQ(h.Add(), kSuccess);
    EXPECT_EQ(h.Open()->status, kInvalidDeviceState);
    ASSERT_EQ(h.Start(), kSuccess);
    EXPECT_EQ(h.Open(u"", false)->status, kInvalidParameter);
    EXPECT_EQ(h.ext.open_count.Load(), 0);
}

TEST_F(DriverOpen, AnInterfaceWithOnePipeCannotBeOpened) {
    auto& config = h.kernel.bridge().config_descriptor;
    config.resize(9 + 9 + 7);
    config[2] = static_cast<uint8_t>(config.size());
    config[9 + 4] = 1;
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    EXPECT_EQ(h.Open()->status, kInvalidParameter);
    EXPECT_EQ(h.ext.open_count.Load(), 0);
}

TEST_F(DriverOpen, PumpThatCannotStartDoesNotFailTheOpen) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    h.kernel.fail_transfer = true;
    EXPECT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(h.ext.io_count.Load(), 1);  // no transfer, no pump
    h.kernel.fail_thread = true;
    h.CloseHandle(h.Open());  // refused: port still open
    EXPECT_EQ(h.ext.open_count.Load(), 0);
    EXPECT_EQ(h.Open()->status, kInsufficientResources);  // no thread
    EXPECT_EQ(h.ext.open_count.Load(), 0);
}

TEST_F(DriverReadWrite, HeldReadsTimeOutAtTheTickTheirTimeoutsGive) {
    struct Row {
        uint32_t interval, constant;
        const char* waiting;
        uint64_t ticks;
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
        SimRequest* r = h.Read(10);
        EXPECT_TRUE(r->pending);
        EXPECT_EQ(TicksUntilDone(r), row.ticks);
        EXPECT_EQ(r->status, kTimeout);
        EXPECT_EQ(h.ReadText(r), row.waiting);
    }
}

TEST_F(DriverReadWrite, IntervalCountsFromTheStartNotFromTheLastByte) {
    ASSERT_EQ(kSuccess, SetTimeouts(130, 0));  // more than 10 ticks
    SimRequest* r = h.Read(10);
    h.kernel.Advance(5);
    h.Feed("ab");
    h.kernel.Advance(5);
    h.Feed("cd");
    EXPECT_EQ(TicksUntilDone(r) + 10, 11u);
    EXPECT_EQ(r->status, kTimeout);
    EXPECT_EQ(h.ReadText(r), "abcd");
}

TEST_F(DriverReadWrite, MaxulongCombinations) {
    // Interval MAXULONG: at once with what is there, whatever the others say.
    ASSERT_EQ(kSuccess, SetTimeouts(~0u, 500, ~0u));
    h.Feed("q");
    h.kernel.Advance(1);
    SimRequest* r = h.Read(8);
    EXPECT_EQ(r->status, kSuccess);
    EXPECT_EQ(r->information, 1u);
    // Interval 0 and constant 0: at once.
    ASSERT_EQ(kSuccess, SetTimeouts(0, 0, ~0u));
    EXPECT_EQ(h.Read(8)->information, 0u);
    EXPECT_FALSE(h.kernel.pending_requests());
    // Interval 0, constant MAXULONG: waits (for data, or about 4 days).
    ASSERT_EQ(kSuccess, SetTimeouts(0, ~0u, ~0u));
    SimRequest* waiting = h.Read(3);
    h.kernel.Advance(200);
    EXPECT_FALSE(waiting->done());
    h.Feed("xyz");
    ASSERT_TRUE(Settle(waiting, 10));
    EXPECT_EQ(waiting->status, kSuccess);
    EXPECT_EQ(h.ReadText(waiting), "xyz");
}

TEST_F(DriverReadWrite, TimeoutsDroppedToZeroWhileHeldStillEndTheRead) {
    SimRequest* r = h.Read(6);
    ASSERT_EQ(kSuccess, SetTimeouts(0, 0));
    ASSERT_TRUE(Settle(r, 5));
    EXPECT_EQ(r->status, kTimeout);
    SimRequest* r2 = h.Read(6);
    ASSERT_EQ(kSuccess, SetTimeouts(~0u, 0));
    ASSERT_TRUE(Settle(r2, 5));
}

TEST_F(DriverReadWrite, HeldReadTakesArrivingBytesAndASecondReadGetsNothing) {
    SimRequest* held = h.Read(6);
    SimRequest* second = h.Read(4);
    EXPECT_EQ(second->status, kSuccess);
    EXPECT_EQ(second->information, 0u);
    h.kernel.Advance(10);
    h.Feed("123456789");
    ASSERT_TRUE(Settle(held, 5));
    EXPECT_EQ(held->status, kSuccess);
    EXPECT_EQ(h.ReadText(held), "123456");
    EXPECT_EQ(h.RingBytes(), 3u);
}

TEST_F(DriverReadWrite, ZeroByteReadsCompleteAtOnce) {
    EXPECT_EQ(h.Read(0)->status, kSuccess);
    EXPECT_EQ(h.Read(5, false)->information, 0u);
    h.Feed("ok");
    h.kernel.Advance(1);
    ASSERT_EQ(kSuccess, SetTimeouts(~0u, 0));
    EXPECT_EQ(h.ReadText(h.Read(2)), "ok");
}

TEST_F(DriverReadWrite, CleanupAbortsTheHeldReadWithNothing) {
    SimRequest* r = h.Read(10);
    h.Feed("part");
    h.kernel.Advance(3);
    h.CloseHandle(open);
    EXPECT_TRUE(r->done());
    EXPECT_EQ(r->status, kSuccess);
    EXPECT_EQ(r->information, 0u);
    EXPECT_EQ(r->completions.load(), 1);
}

TEST_F(DriverModemReply, ReceptionOffAnswersWithTheCannedReply) {
    h.kernel.parameters = {{u"PreventFromSuspend", 0}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    ASSERT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_FALSE(h.kernel.bridge().HasPendingIn());
    SimRequest* r = h.Read(60);
    EXPECT_EQ(r->status, kSuccess);
    const std::string reply = "ATQ0V1E0S0=0\r\r\nOK\r\n\r\nOK\r\n\r";
    ASSERT_EQ(reply.size(), 26u);
    EXPECT_EQ(h.ReadText(r), reply + reply + "ATQ0V1E0");
}

TEST_F(DriverReadWrite, WriteSizesAtTheEdges) {
    SimRequest* big = h.Write(std::vector<uint8_t>(65536, 7));
    ASSERT_TRUE(Settle(big, 5));
    EXPECT_EQ(big->information, 65536u);
    SimRequest* too_big = h.Write(std::vector<uint8_t>(65537, 7));
    EXPECT_EQ(too_big->status, kInvalidParameter);
    EXPECT_EQ(h.Write(std::vector<uint8_t>{})->status, kSuccess);
    SimRequest* no_buffer = h.kernel.NewRequest(irp::kWrite);
    DispatchWrite(h.ext, no_buffer->view);
    EXPECT_EQ(no_buffer->status, kSuccess);
    EXPECT_EQ(no_buffer->information, 0u);
}

TEST_F(DriverReadWrite, DtrMarkersAreNotSentAndAPrefixIs) {
    const std::string enable = "Quilmar_QMUB417A_DTR_Func_Enable";
    EXPECT_EQ(h.Write(enable)->information, 32u);
    EXPECT_EQ(h.Write(enable + "12345678")->information, 40u);
    h.kernel.Advance(2);
    EXPECT_TRUE(h.kernel.bridge().to_peer.empty());
    EXPECT_EQ(h.ext.tx_since_wait, 0);
    SimRequest* prefix = h.Write(enable.substr(0, 31));
    ASSERT_TRUE(Settle(prefix, 5));
    EXPECT_EQ(h.kernel.bridge().to_peer.size(), 31u);
}

TEST_F(DriverReadWrite, WriteWithoutRoomForACopyGoesOutIn256ByteChunks) {
    h.kernel.fail_allocation = [](size_t n) { return n == 1000; };
    std::vector<uint8_t> data(1000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint32_t> chunks;
    h.kernel.bridge().on_sent = [&](const uint8_t*, size_t n) {
        chunks.push_back(static_cast<uint32_t>(n));
    };
    SimRequest* w = h.Write(data);
    ASSERT_TRUE(Settle(w, 10));
    EXPECT_EQ(chunks, (std::vector<uint32_t>{256, 256, 256, 232}));
    EXPECT_EQ(w->information, 1000u);
    EXPECT_EQ(h.kernel.bridge().to_peer, data);
}

TEST_F(DriverReadWrite, TransferredCountIsWhatTheDeviceAccepted) {
    h.kernel.bridge().bulk_out_accept_limit = 10;
    SimRequest* w = h.Write(std::string(30, 'a'));
    ASSERT_TRUE(Settle(w, 5));
    EXPECT_EQ(w->status, kSuccess);
    EXPECT_EQ(w->information, 10u);
}

TEST_F(DriverReadWrite, FailedWritesResetThePipeThenRecoverThePort) {
    h.kernel.bridge().bulk_out_submit_status = kUnsuccessful;
    SimRequest* w = h.Write(std::string("x"));
    EXPECT_EQ(w->status, kUnsuccessful);
    EXPECT_EQ(h.kernel.bridge().reset_pipes.size(), 1u);
    EXPECT_EQ(h.kernel.bridge().port_recoveries, 0);
    h.kernel.bridge().reset_pipe_status = kUnsuccessful;
    h.Write(std::string("y"));
    EXPECT_EQ(h.kernel.bridge().port_recoveries, 1);
    h.kernel.bridge().bulk_out_submit_status = kDeviceNotConnected;
    h.Write(std::string("z"));
    EXPECT_EQ(h.kernel.bridge().reset_pipes.size(), 2u);  // not for a missing device
    h.kernel.bridge().bulk_out_submit_status = kPending;
    h.kernel.bridge().bulk_out_complete_status = kCancelled;
    SimRequest* late = h.Write(std::string("w"));
    ASSERT_TRUE(Settle(late, 5));
    EXPECT_EQ(late->status, kCancelled);
    EXPECT_EQ(h.kernel.live_transfers, 1);  // only the pump's
}

TEST_F(DriverWrite, SerialEmulationOffReportsEverythingSent) {
    h.kernel.parameters = {{u"PreventFromSuspend1", 0}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    EXPECT_EQ(h.Write(std::string(100, 'e'))->status, kInvalidHandle);  // not open yet
    ASSERT_EQ(h.Open()->status, kSuccess);
    SimRequest* w = h.Write(std::string(100, 'e'));
    EXPECT_EQ(w->status, kSuccess);
    EXPECT_EQ(w->information, 100u);
    h.kernel.Advance(2);
    EXPECT_TRUE(h.kernel.bridge().to_peer.empty());
}

// The receive ring.
TEST_F(DriverReadWrite, PacketEndingExactlyAtTheRingEndWrapsTheHeadToZero) {
    ASSERT_EQ(kSuccess, SetTimeouts(~0u, 0));
    h.Feed(std::string(3008, 'a'));  // 47 packets of 64
    h.kernel.Advance(10);
    EXPECT_EQ(h.ext.ring_head, 3008u);
    EXPECT_EQ(h.Read(3008)->information, 3008u);
    h.Feed(std::string(64, 'b'));
    h.kernel.Advance(1);
    EXPECT_EQ(h.ext.ring_head, 0u);
    EXPECT_EQ(h.ReadText(h.Read(100)), std::string(64, 'b'));
}

TEST_F(DriverReadWrite, PacketAcrossTheRingEndSplitsAndKeepsOrder) {
    ASSERT_EQ(kSuccess, SetTimeouts(~0u, 0));
    std::string first;
    for (int i = 0; i < 3070; ++i)
        first += static_cast<char>('A' + i % 26);
    h.Feed(first.substr(0, 3000));
    h.kernel.Advance(10);
    EXPECT_EQ(h.ReadText(h.Read(3000)), first.substr(0, 3000));
    h.Feed(first.substr(3000, 70));
    h.kernel.Advance(2);
    EXPECT_EQ(h.ReadText(h.Read(70)), first.substr(3000, 70));
    EXPECT_EQ(h.ext.ring_head, 3070u);
    h.Feed("0123456789");
    h.kernel.Advance(1);
    EXPECT_EQ(h.ext.ring_head, 8u);
    EXPECT_EQ(h.ReadText(h.Read(10)), "0123456789");
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
    EXPECT_FALSE(h.kernel.bridge().HasPendingIn());  // held
    EXPECT_TRUE(h.ext.pump_held);
    uint64_t waiting_in_chip = h.kernel.bridge().from_peer.size();
    EXPECT_EQ(waiting_in_chip, 5000u - h.RingBytes());
    EXPECT_EQ(h.kernel.bridge().would_drop, 5000u - SimBridge::kChipBuffer);
    // The reader resumes the pump; every byte arrives once and in order.
    std::string got;
    for (int i = 0; i < 50 && got.size() < stream.size(); ++i) {
        got += h.ReadText(h.Read(1000));
        h.kernel.Advance(20);
    }
    EXPECT_EQ(got, stream);
}

TEST_F(DriverReadWrite, CancellingTheReceiveTransferEndsThePump) {
    h.Feed("x");
    h.kernel.Advance(1);
    h.kernel.CancelTransfer(h.ext.pump_transfer);
    EXPECT_EQ(h.ext.pump_in_flight, 0u);
    h.Feed("after");
    h.kernel.Advance(5);
    EXPECT_EQ(h.RingBytes(), 1u);  // stays stopped until the next open
    h.CloseHandle(open);
    open = h.Open();
    h.kernel.Advance(2);
    EXPECT_EQ(h.RingBytes(), 5u);  // the ring starts empty with the pump
}

TEST_F(DriverReadWrite, EmptyCompletionsAreAnsweredWithANewTransfer) {
    h.kernel.Advance(1);
    h.Feed("");
    // A bus that completes with nothing: the pump keeps going.
    PendingBulk taken;
    {
        std::lock_guard<std::mutex> lock(h.kernel.bridge_mutex());
        ASSERT_TRUE(h.kernel.bridge().Take(h.ext.pump_transfer, &taken));
    }
    taken.done(taken.context, kSuccess, 0);
    EXPECT_TRUE(h.kernel.bridge().HasPendingIn());
    h.Feed("later");
    h.kernel.Advance(1);
    EXPECT_EQ(h.RingBytes(), 5u);
}

TEST_F(DriverReadWrite, RemovalCompletesHeldReadAndWaitExactlyOnce) {
    ASSERT_EQ(h.Control(kSetWaitMask, DriverHarness::Word(kEvRxChar))->status, kSuccess);
    SimRequest* wait = h.Control(kWaitOnMask, {}, 4);
    SimRequest* read = h.Read(10);
    SimRequest* write = h.Write(std::string("bye"));
    h.Pnp(irp::kSurpriseRemoval);
    h.Pnp(irp::kRemoveDevice);
    for (SimRequest* r : {wait, read, write}) {
        EXPECT_EQ(r->completions.load(), 1);
    }
    EXPECT_EQ(read->information, 0u);
    EXPECT_EQ(DriverHarness::WordAt(wait), 0u);
    EXPECT_TRUE(h.kernel.device_deleted);
    EXPECT_EQ(h.kernel.live_transfers, 0);
    EXPECT_EQ(h.kernel.live_allocations, 0);
    EXPECT_EQ(h.kernel.pending_requests(), 0u);
}

}  // namespace
}  // namespace qmub::sim
