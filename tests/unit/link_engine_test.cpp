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
        if (engine.dialog_close_posted()) {
            engine.deliver_posted();
        }
    }
    void run(int limit = 10000) {
        while (engine.timer_armed() && limit-- > 0) {
            tick();
        }
    }
    // Puts the calculator's bytes on the line, then lets `ticks` timer ticks pass.
    void answer(const Bytes& bytes, int ticks = 0) {
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
    std::uint8_t step_command() const {
        return engine.steps()[static_cast<std::size_t>(engine.step_index())].command;
    }

    void operation_failed(LinkOperation, int c) override { failures.push_back(c); }
    void directory_ready(LinkOperation) override {
        ++directories;
        if (close_dialog_on_directory) {
            engine.post_dialog_close();
        }
    }
    void capture_done(const Bytes& image) override { screen = image; }
    void probe_answered() override { ++probes; }
    void file_script_done() override { ++files_done; }
    void item_script_done() override { ++items_done; }

    VirtualClock clock;
    VirtualPort port{clock, nullptr};
    link::LinkSettings settings;
    link::CountingProgress progress;
    link::LinkEngine engine;
    std::size_t seen = 0;
    Codes failures;
    int directories = 0, probes = 0, files_done = 0, items_done = 0;
    bool close_dialog_on_directory = true;
    Bytes screen;
};

TEST(LinkEngineHello, ResentThreeTimesThenNoResponseAfterRetryCountIdleTicks) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    for (int restart = 0; restart <= 3; ++restart) {
        rig.tick();
        EXPECT_EQ(rig.written(), pc(0x42)) << "restart " << restart;
        EXPECT_EQ(rig.engine.hello_restarts(), restart);
    }
    int idle_ticks = 0;
    for (; rig.engine.timer_armed(); ++idle_ticks) {
        rig.tick();
    }
    EXPECT_EQ(idle_ticks, rig.settings.retry_count);
    EXPECT_TRUE(rig.written().empty()) << "the idle time-out purges but sends no cancel";
    EXPECT_EQ(rig.failures, Codes{link::code::kNoResponse});
    EXPECT_FALSE(rig.port.is_open());
    // A timer message still queued after the operation ended does nothing.
    rig.tick();
    EXPECT_EQ(rig.failures, Codes{link::code::kNoResponse});
    EXPECT_TRUE(rig.written().empty());
    // Each idle tick waited for the timer and the 300 ms read time-out (and the stray tick
    // its 100 ms).
    EXPECT_EQ(rig.clock.now_ms(), 1000u + 100u + 33u * 400u + 100u);
    // The restarts count from zero again at the next opening.
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    EXPECT_EQ(rig.engine.hello_restarts(), 0);
}

TEST(LinkEngineHello, BadAcknowledgementIsRepeatedNotAnsweredByASecondHello) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    rig.tick();
    Bytes bad_ack = calc(0x01);
    bad_ack[3] ^= 1;
    rig.answer(bad_ack, 1);
    // The NAK goes out and the repeat is awaited: a second hello would be answered as well,
    // and its acknowledgement would be taken for the answer of the next step.
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x81)}));
    EXPECT_EQ(rig.engine.hello_restarts(), 0);
    rig.answer(calc(0x01));
    rig.run();
    EXPECT_EQ(rig.probes, 1);
    EXPECT_TRUE(rig.failures.empty());
    EXPECT_EQ(rig.written(), pc(0x41));
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkEngineHello, WrongAnswerToTheHelloEndsWithItsCodeAndACancel) {
    const std::tuple<int, Bytes, int> cases[] = {
        // {model code, reply, code}
        {4, link::short_packet('8', '5', 0x01), 5},   // first identifier byte
        {4, link::short_packet('7', '2', 0x01), 14},  // second identifier byte
        {4, link::short_packet('7', '1', 0x01), 14},
        {9, calc(0x01), 5},  // unknown model: every reply has a wrong first byte
        {4, calc(0x21), 5},  // good checksum, other code
    };
    for (const auto& [model_code, reply, code] : cases) {
        link::LinkSettings settings;
        settings.model_code = model_code;
        EngineRig rig(settings);
        ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
        rig.tick();
        rig.written();
        rig.answer(reply);
        rig.run();
        EXPECT_EQ(rig.failures, Codes{code}) << model_code << " " << int(reply[1]);
        EXPECT_EQ(rig.written(), pc(0x82));
        EXPECT_FALSE(rig.port.is_open());
    }
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
    EXPECT_EQ(rig.engine.repeat_counter(), 1);
    rig.answer(concat({calc(0x01), calc(0x23)}), 2);  // the calculator repeats
    EXPECT_EQ(rig.written(), pc(0x01));
    // A bad block on a later step counts on from 1.
    Bytes bad_block = calc_block({0, 0, 0, 0});
    bad_block[3] ^= 1;
    rig.answer(bad_block, 1);
    EXPECT_EQ(rig.written(), pc(0x81));
    EXPECT_EQ(rig.engine.repeat_counter(), 2);
    EXPECT_EQ(rig.engine.input_queued(), 0u) << "a bad block is consumed";
    rig.answer(bad_block);
    rig.run();
    EXPECT_EQ(rig.failures, Codes{5});
    EXPECT_EQ(rig.written(), pc(0x82));
    EXPECT_EQ(rig.engine.repeat_counter(), 3) << "checksum failures are never forgotten";
}

TEST(LinkEngineChecksum, CalculatorNakRepeatsTheLastPacketUntilRetryCountThenFails) {
    link::LinkSettings settings;
    settings.retry_count = 3;
    EngineRig rig(settings);
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.answer(calc(0x01), 1);
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x61)}));
    rig.answer(calc(0x81), 1);
    EXPECT_EQ(rig.written(), pc(0x61));
    EXPECT_EQ(rig.engine.repeat_counter(), 1);
    rig.answer(calc(0x01), 1);
    const link::ItemName category = link::make_name("SOLVE EQU");
    const Bytes name_block = link::block_packet('1', '1', Bytes(category.begin(), category.end()));
    EXPECT_EQ(rig.written(), name_block);
    rig.answer(calc(0x81), 1);
    EXPECT_EQ(rig.written(), name_block);
    EXPECT_EQ(rig.engine.repeat_counter(), 2) << "NAKs count across packets";
    rig.answer(calc(0x81));  // the third of RetryCount
    rig.run();
    EXPECT_EQ(rig.failures, Codes{5});
    EXPECT_EQ(rig.engine.repeat_counter(), 0) << "the counter starts again after the failure";
}

// One directory list after the hello: request, echo of `echo`, then the list block.
void fetch_list(EngineRig& rig, std::string_view echo, const Bytes& list) {
    rig.answer(calc(0x01), 1);  // to 0x61
    rig.answer(concat({calc(0x01), calc(0x21)}), 2);
    const link::ItemName name = link::make_name(echo);
    rig.answer(calc_block(Bytes(name.begin(), name.end())), 1);
    rig.answer(calc_block(list), 2);
}

// Drives a named item receive up to its 0x15 block step.
void item_receive_to_block(EngineRig& rig, const link::ItemName& requested, bool with_name,
                           std::uint32_t announced = 0) {
    rig.close_dialog_on_directory = false;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::receive), 0);
    rig.tick();
    rig.answer(calc(0x01), 1);
    for (const char* list : {"SOLVE EQU", "PROGRAM", "ANIME"}) {  // three empty lists
        fetch_list(rig, list, Bytes{0});
    }
    rig.engine.set_operation(LinkOperation::receive_items);
    rig.engine.run_named_item_receive(link::make_name("PROGRAM"), requested, with_name);
    rig.written();
    rig.answer(calc(0x01), 1);
    rig.answer(calc(0x01), 1);
    rig.answer(concat({calc(0x01), calc(0x22)}), 2);
    const link::ItemName category = link::make_name("PROGRAM");
    Bytes info(category.begin(), category.end());
    append_u32le(info, announced);
    rig.answer(calc_block(info), 1);
    ASSERT_EQ(rig.step_command(), 0x15);
}

Bytes item_block(const link::ItemName* name, const Bytes& payload) {
    Bytes body(8, 0);
    if (name != nullptr) {
        body.insert(body.end(), name->begin(), name->end());
    }
    body.insert(body.end(), payload.begin(), payload.end());
    write_u32le(body, 0, static_cast<std::uint32_t>(body.size()));
    return calc_block(body);
}

TEST(LinkEngineItemBlock, PayloadFollowsTheNameFieldOrItsAbsenceAndBadBlocksFail) {
    const link::ItemName prog1 = link::make_name("PROG1");
    const link::ItemName prog2 = link::make_name("prog2");
    link::ItemName by_code = link::make_name("");
    by_code[0] = 0x10;
    by_code[1] = 0x09;
    // {requested, with a name field, block, payload; empty: the block fails with code 5}
    const std::tuple<link::ItemName, bool, Bytes, Bytes> cases[] = {
        {prog1, true, item_block(&prog1, {0, 1, 2, 3}), {0, 1, 2, 3}},
        {prog1, true, item_block(&prog2, {0, 1, 2, 3}), {}},  // another item's name
        {by_code, false, item_block(nullptr, {0x10, 0x09, 7, 7}), {0x10, 0x09, 7, 7}},
        {prog1, true, calc_block({4, 0, 0, 0}), {}},  // length shorter than its own header
    };
    for (const auto& [requested, with_name, block, payload] : cases) {
        EngineRig rig;
        item_receive_to_block(rig, requested, with_name);
        rig.answer(block, 1);
        rig.run(2);
        if (payload.empty()) {
            EXPECT_EQ(rig.failures, Codes{5});
            EXPECT_EQ(rig.items_done, 0);
        } else {
            EXPECT_EQ(rig.engine.received_payload(), payload);
            EXPECT_TRUE(rig.failures.empty());
            EXPECT_EQ(rig.items_done, 1);
        }
    }
}

// The 0x15 block's length field on each side of its limits: the least that still holds the
// length, four bytes and (when asked for) the name field; the most the item information
// announced; and, with nothing announced, the largest item.
TEST(LinkEngineItemBlock, LengthsEitherSideOfTheirLimits) {
    const link::ItemName name = link::make_name("P");
    // A block whose length field says `length` and that carries `length` body bytes.
    const auto block_of = [&](std::uint32_t length, bool with_name) {
        Bytes body(length, 0x5A);
        write_u32le(body, 0, length);
        std::fill_n(body.begin() + 4, std::min<std::uint32_t>(4, length - 4), 0);
        if (with_name && length >= 8) {
            std::copy_n(name.begin(), std::min<std::size_t>(11, length - 8), body.begin() + 8);
        }
        return calc_block(body);
    };
    // {length field, with a name field, announced item length, accepted}. The upper bound is
    // the announced length plus the whole wrapping, name field included, with or without one.
    const std::tuple<std::uint32_t, bool, std::uint32_t, bool> cases[] = {
        {18, true, 0, false}, {19, true, 0, true},     {7, false, 0, false},
        {8, false, 0, true},  {19 + 5, true, 5, true}, {19 + 6, true, 5, false},
    };
    for (const auto& [length, with_name, announced, accepted] : cases) {
        EngineRig rig;
        item_receive_to_block(rig, name, with_name, announced);
        rig.answer(block_of(length, with_name), 1);
        rig.run(2);
        EXPECT_EQ(rig.failures.empty(), accepted) << length << " " << with_name;
        EXPECT_EQ(rig.items_done, accepted ? 1 : 0) << length << " " << with_name;
        if (accepted) {
            EXPECT_EQ(rig.engine.received_payload().size(), length - (with_name ? 19u : 8u));
        }
    }
    // With no length announced the largest item bounds the block: its first six bytes decide.
    for (const std::uint32_t over : {0u, 1u}) {
        EngineRig rig;
        item_receive_to_block(rig, name, true);
        const auto length = static_cast<std::uint32_t>(kLargestItemBytes) + 19 + over;
        Bytes head = link::short_packet('7', '5', 0x15);
        head.resize(2);
        append_u32le(head, length);
        rig.answer(head, 1);
        rig.run(2);
        EXPECT_EQ(rig.failures.empty(), over == 0) << over;
    }
}

}  // namespace
}  // namespace travex
