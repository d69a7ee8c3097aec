// The link engine against a calculator played by hand on the virtual port.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "base/input_caps.h"
#include "base/le_bytes.h"
#include "link/link_engine.h"
#include "link/virtual_port.h"
#include "tests/unit/test_bytes.h"

namespace travex {
namespace {

using link::LinkOperation;
using Codes = std::vector<int>;
using testing::concat;

// Packets of the calculator and of the computer.
const auto calc = [](std::uint8_t code) { return link::short_packet('7', '5', code); };
const auto calc_block = [](const Bytes& body) { return link::block_packet('7', '5', body); };
const auto pc = [](std::uint8_t code) { return link::short_packet('1', '1', code); };

struct EngineRig : link::LinkEvents {
    explicit EngineRig(link::LinkSettings s = {})
        : settings(s), engine(port, settings, *this, progress) {}

    void tick() {
        clock.sleep_ms(static_cast<std::uint32_t>(settings.timer_interval_ms));
        engine.on_timer();
    }
    // Puts the calculator's bytes on the line, then lets `ticks` timer ticks pass, or runs
    // the operation to its end.
    void answer(const Bytes& bytes, int ticks = 10000) {
        port.inject(bytes);
        for (int i = 0; i < ticks && engine.timer_armed(); ++i) {
            tick();
        }
    }
    // What the computer wrote since the last call.
    Bytes written() {
        const Bytes& log = port.wire_log();
        Bytes fresh(log.begin() + static_cast<std::ptrdiff_t>(seen), log.end());
        seen = log.size();
        return fresh;
    }

    void operation_failed(LinkOperation, int c) override { failures.push_back(c); }
    void item_script_done() override { ++items_done; }

    VirtualClock clock;
    VirtualPort port{clock, nullptr};
    link::LinkSettings settings;
    link::CountingProgress progress;
    link::LinkEngine engine;
    std::size_t seen = 0;
    Codes failures;
    int items_done = 0;
};

TEST(LinkEngineHello, ResentThreeTimesThenNoResponseAfterRetryCountIdleTicks) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    for (int restart = 0; restart <= 3; ++restart) {
        rig.tick();
        EXPECT_EQ(rig.written(), pc(0x42)) << "restart " << restart;
    }
    int idle_ticks = 0;
    for (; rig.engine.timer_armed(); ++idle_ticks) {
        rig.tick();
    }
    EXPECT_EQ(idle_ticks, rig.settings.retry_count);
    EXPECT_TRUE(rig.written().empty()) << "the idle time-out purges but sends no cancel";
    EXPECT_EQ(rig.failures, Codes{link::code::kNoResponse});
    EXPECT_FALSE(rig.port.is_open());
    // Each idle tick waited for the timer and the 300 ms read time-out.
    EXPECT_EQ(rig.clock.now_ms(), 1000u + 100u + 33u * 400u);
    // A timer message still queued after the operation ended does nothing.
    rig.tick();
    EXPECT_EQ(rig.failures, Codes{link::code::kNoResponse});
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    EXPECT_EQ(rig.engine.hello_restarts(), 0) << "the restarts count from zero again";
}

TEST(LinkEngineHello, BadAcknowledgementIsRepeatedNotAnsweredByASecondHello) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    rig.tick();
    Bytes bad_ack = calc(0x01);
    bad_ack[3] ^= 1;
    rig.answer(bad_ack, 1);
    // A second hello would be answered as well, and its acknowledgement taken for the answer
    // of the next step.
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x81)}));
    rig.answer(calc(0x01));
    EXPECT_TRUE(rig.failures.empty());
    EXPECT_EQ(rig.written(), pc(0x41)) << "the goodbye after the answered probe";
}

TEST(LinkEngineHello, AnotherAnswerToTheHelloEndsWithCode5AndACancel) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.answer(calc(0x21));  // good checksum, other code
    EXPECT_EQ(rig.failures, Codes{5});
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x82)}));
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkEngineChecksum, BadChecksumsAreAnsweredWithNakAndCountedAcrossPackets) {
    link::LinkSettings settings;
    settings.retry_count = 3;
    EngineRig rig(settings);
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::capture), 0);
    rig.tick();
    rig.answer(calc(0x01), 1);
    rig.written();
    Bytes bad_ack = calc(0x01);
    bad_ack[4] ^= 1;
    rig.answer(bad_ack, 1);
    EXPECT_EQ(rig.written(), pc(0x81));
    rig.answer(concat({calc(0x01), calc(0x23)}), 2);  // the calculator repeats
    EXPECT_EQ(rig.written(), pc(0x01));
    Bytes bad_block = calc_block({0, 0, 0, 0});
    bad_block[3] ^= 1;
    rig.answer(bad_block, 1);
    EXPECT_EQ(rig.written(), pc(0x81));
    EXPECT_EQ(rig.engine.input_queued(), 0u) << "a bad block is consumed";
    rig.answer(bad_block);
    EXPECT_EQ(rig.failures, Codes{5}) << "checksum failures are never forgotten";
    EXPECT_EQ(rig.written(), pc(0x82));
}

TEST(LinkEngineChecksum, CalculatorNakRepeatsTheLastPacketUntilRetryCountThenFails) {
    link::LinkSettings settings;
    settings.retry_count = 3;
    EngineRig rig(settings);
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.answer(calc(0x01), 1);
    rig.answer(calc(0x81), 1);
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x61), pc(0x61)}));
    rig.answer(calc(0x01), 1);
    const link::ItemName category = link::make_name("SOLVE EQU");
    const Bytes name_block = link::block_packet('1', '1', Bytes(category.begin(), category.end()));
    rig.answer(calc(0x81), 1);
    EXPECT_EQ(rig.written(), concat({name_block, name_block}));
    rig.answer(calc(0x81));  // the third of RetryCount, counted across packets
    EXPECT_EQ(rig.failures, Codes{5});
    EXPECT_EQ(rig.engine.repeat_counter(), 0) << "the counter starts again after the failure";
}

// Drives a named item receive up to its 0x15 block step, the three directory lists empty.
void item_receive_to_block(EngineRig& rig, const link::ItemName& requested, bool with_name,
                           std::uint32_t announced = 0) {
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::receive), 0);
    rig.tick();
    rig.answer(calc(0x01), 1);
    for (const char* list : {"SOLVE EQU", "PROGRAM", "ANIME"}) {
        rig.answer(calc(0x01), 1);
        rig.answer(concat({calc(0x01), calc(0x21)}), 2);
        const link::ItemName name = link::make_name(list);
        rig.answer(calc_block(Bytes(name.begin(), name.end())), 1);
        rig.answer(calc_block(Bytes{0}), 2);
    }
    rig.engine.set_operation(LinkOperation::receive_items);
    rig.engine.run_named_item_receive(link::make_name("PROGRAM"), requested, with_name);
    rig.answer(calc(0x01), 1);
    rig.answer(calc(0x01), 1);
    rig.answer(concat({calc(0x01), calc(0x22)}), 2);
    const link::ItemName category = link::make_name("PROGRAM");
    Bytes info(category.begin(), category.end());
    append_u32le(info, announced);
    rig.answer(calc_block(info), 1);
    ASSERT_EQ(rig.engine.steps()[static_cast<std::size_t>(rig.engine.step_index())].command, 0x15);
}

// The 0x15 block: its payload follows the name field (or its absence), another item's name
// fails, and the length field is checked on each side of its limits: the least that holds the
// length, four bytes and the name field; the most the item information announced.
TEST(LinkEngineItemBlock, PayloadFollowsTheNameFieldAndLengthsEitherSideOfTheirLimits) {
    const link::ItemName name = link::make_name("P");
    // {with a name field, name in the block, length field, announced, accepted}
    const std::tuple<bool, std::string, std::uint32_t, std::uint32_t, bool> cases[] = {
        {true, "P", 18, 0, false},     {true, "P", 19, 0, true}, {true, "Q", 23, 0, false},
        {false, "", 7, 0, false},      {false, "", 8, 0, true},  {true, "P", 19 + 5, 5, true},
        {true, "P", 19 + 6, 5, false},
    };
    for (const auto& [with_name, in_block, length, announced, accepted] : cases) {
        EngineRig rig;
        item_receive_to_block(rig, name, with_name, announced);
        Bytes body(length, 0x5A);
        write_u32le(body, 0, length);
        std::fill_n(body.begin() + 4, std::min<std::uint32_t>(4, length - 4), 0);
        const link::ItemName sent = link::make_name(in_block);
        if (with_name && length >= 8) {
            std::copy_n(sent.begin(), std::min<std::size_t>(11, length - 8), body.begin() + 8);
        }
        rig.answer(calc_block(body), 1);
        rig.answer({}, 2);
        EXPECT_EQ(rig.items_done, accepted ? 1 : 0) << length << " " << in_block;
        EXPECT_EQ(rig.failures, accepted ? Codes{} : Codes{5}) << length << " " << in_block;
        if (accepted) {
            EXPECT_EQ(rig.engine.received_payload(), Bytes(length - (with_name ? 19u : 8u), 0x5A));
        }
    }
    // With no length announced the largest item bounds the block: its first six bytes decide.
    for (const std::uint32_t over : {0u, 1u}) {
        EngineRig rig;
        item_receive_to_block(rig, name, true);
        Bytes head{'7', '5'};
        append_u32le(head, static_cast<std::uint32_t>(kLargestItemBytes) + 19 + over);
        rig.answer(head, 1);
        rig.answer({}, 2);
        EXPECT_EQ(rig.failures.empty(), over == 0) << over;
    }
}

}  // namespace
}  // namespace travex
