// The link engine against a calculator played by hand on the virtual port.
#include <gtest/gtest.h>

#include "base/le_bytes.h"
#include "link/link_engine.h"
#include "link/virtual_port.h"

namespace travex {
namespace {

using link::LinkOperation;

Bytes calc(std::uint8_t code) {
    return link::short_packet('7', '5', code);
}

Bytes calc_block(const Bytes& body) {
    return link::block_packet('7', '5', body);
}

Bytes pc(std::uint8_t code) {
    return link::short_packet('1', '1', code);
}

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
    // Ticks until the engine stops or the limit passes; answers the ticks taken.
    int run(int limit = 10000) {
        int n = 0;
        while (engine.timer_armed() && n < limit) {
            tick();
            ++n;
        }
        return n;
    }
    void answer(const Bytes& bytes) { port.inject(bytes); }
    // What the computer wrote since the last call.
    Bytes written() {
        const Bytes& log = port.wire_log();
        Bytes fresh(log.begin() + static_cast<std::ptrdiff_t>(seen), log.end());
        seen = log.size();
        return fresh;
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
    std::vector<int> failures;
    int directories = 0;
    int probes = 0;
    int files_done = 0;
    int items_done = 0;
    bool close_dialog_on_directory = true;
    Bytes screen;
};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

TEST(LinkEngineHello, ResentThreeTimesThenNoResponseAfterRetryCountIdleTicks) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    rig.tick();  // first tick: the hello goes out
    EXPECT_EQ(rig.written(), pc(0x42));
    for (int restart = 1; restart <= 3; ++restart) {
        rig.tick();
        EXPECT_EQ(rig.written(), pc(0x42)) << "restart " << restart;
        EXPECT_EQ(rig.engine.hello_restarts(), restart);
    }
    // No more restarts: only the idle ticks count now.
    int ticks = 0;
    while (rig.engine.timer_armed()) {
        rig.tick();
        ++ticks;
        EXPECT_TRUE(rig.written().empty());
    }
    EXPECT_EQ(ticks, rig.settings.retry_count);
    ASSERT_EQ(rig.failures, std::vector<int>{link::code::kNoResponse});
    EXPECT_FALSE(rig.port.is_open());
    // The idle time-out purges but sends no cancel.
    EXPECT_TRUE(rig.written().empty());
    // Each idle tick waited for the timer and the 300 ms read time-out.
    EXPECT_EQ(rig.clock.now_ms(), 1000u + 100u + 33u * 400u);
}

TEST(LinkEngineHello, RestartsCountAgainAfterTheNextOpening) {
    EngineRig rig;
    rig.settings.retry_count = 2;
    link::LinkEngine engine(rig.port, rig.settings, rig, rig.progress);
    ASSERT_EQ(engine.start_operation(LinkOperation::probe), 0);
    while (engine.timer_armed()) {
        rig.clock.sleep_ms(100);
        engine.on_timer();
    }
    EXPECT_EQ(engine.hello_restarts(), 3);
    ASSERT_EQ(engine.start_operation(LinkOperation::probe), 0);
    EXPECT_EQ(engine.hello_restarts(), 0);
}

TEST(LinkEngineHello, AnsweredProbeSaysGoodbyeAndClosesThePort) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    rig.tick();
    rig.answer(calc(0x01));
    rig.run();
    EXPECT_EQ(rig.probes, 1);
    EXPECT_TRUE(rig.failures.empty());
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x41)}));
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkEngineOpen, PortErrorsComeBackAsCodes) {
    EngineRig rig;
    rig.settings.port_number = 0;
    link::LinkEngine low(rig.port, rig.settings, rig, rig.progress);
    EXPECT_EQ(low.start_operation(LinkOperation::send), link::code::kNoSuchPort);
    rig.settings.port_number = 100;
    link::LinkEngine high(rig.port, rig.settings, rig, rig.progress);
    EXPECT_EQ(high.start_operation(LinkOperation::send), link::code::kNoSuchPort);
    EXPECT_EQ(rig.port.stats().opens, 0);

    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    link::LinkSettings same = rig.settings;
    same.port_number = 1;
    link::LinkEngine second(rig.port, same, rig, rig.progress);
    EXPECT_EQ(second.start_operation(LinkOperation::send), link::code::kPortInUse);
    EXPECT_TRUE(rig.port.is_open());
}

struct IdentifierCase {
    Bytes reply;
    int code;
};

class LinkEngineIdentifier : public ::testing::TestWithParam<IdentifierCase> {};

TEST_P(LinkEngineIdentifier, WrongIdentifierEndsWithItsCodeAndACancel) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.written();
    rig.answer(GetParam().reply);
    rig.run();
    EXPECT_EQ(rig.failures, std::vector<int>{GetParam().code});
    EXPECT_EQ(rig.written(), pc(0x82));
    EXPECT_FALSE(rig.port.is_open());
}

INSTANTIATE_TEST_SUITE_P(FirstAndSecondByte, LinkEngineIdentifier,
                         ::testing::Values(IdentifierCase{link::short_packet('8', '5', 0x01), 5},
                                           IdentifierCase{link::short_packet('7', '2', 0x01), 14},
                                           IdentifierCase{link::short_packet('7', '1', 0x01), 14}));

TEST(LinkEngineIdentifierModel, UnknownModelTreatsEveryReplyAsWrongFirstByte) {
    link::LinkSettings settings;
    settings.model_code = 9;
    EngineRig rig(settings);
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.answer(calc(0x01));
    rig.run();
    EXPECT_EQ(rig.failures, std::vector<int>{5});
}

TEST(LinkEngineShort, GoodChecksumButOtherCodeFails) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.answer(calc(0x21));
    rig.run();
    EXPECT_EQ(rig.failures, std::vector<int>{5});
}

// Screen capture up to its first block step (0x16).
void capture_to_block_step(EngineRig& rig) {
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::capture), 0);
    rig.tick();
    EXPECT_EQ(rig.written(), pc(0x42));
    rig.answer(calc(0x01));
    rig.tick();
    EXPECT_EQ(rig.written(), pc(0x63));
    rig.answer(concat({calc(0x01), calc(0x23)}));
    rig.tick();  // the acknowledgement
    rig.tick();  // 0x23, then our acknowledgement
    EXPECT_EQ(rig.written(), pc(0x01));
    ASSERT_EQ(rig.engine.steps()[static_cast<std::size_t>(rig.engine.step_index())].command, 0x16);
}

TEST(LinkEngineRefusal, MemoryFullWhereABlockIsExpectedIsAcknowledgedThenCode20) {
    EngineRig rig;
    capture_to_block_step(rig);
    rig.answer(calc(0x84));
    rig.run();
    EXPECT_EQ(rig.written(), pc(0x01));
    EXPECT_EQ(rig.failures, std::vector<int>{link::code::kCalculatorMemoryOver});
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_FALSE(rig.progress.is_open());
}

TEST(LinkEngineRefusal, LongerPacketWithThirdByte84IsTheExpectedBlock) {
    EngineRig rig;
    capture_to_block_step(rig);
    rig.answer(calc_block({0x84, 0x01, 0x02, 0x03}));
    rig.tick();
    EXPECT_EQ(rig.written(), pc(0x01));
    EXPECT_TRUE(rig.failures.empty());
    EXPECT_EQ(rig.engine.current_name()[2], 0x84);
}

TEST(LinkEngineRefusal, CalculatorCancelsAreAcknowledgedThenCode5) {
    for (const std::uint8_t cancel : {std::uint8_t{0x82}, std::uint8_t{0x83}}) {
        EngineRig rig;
        capture_to_block_step(rig);
        rig.answer(calc(cancel));
        rig.run();
        EXPECT_EQ(rig.written(), pc(0x01)) << int(cancel);
        EXPECT_EQ(rig.failures, std::vector<int>{5});
    }
}

TEST(LinkEngineRefusal, RefusalCodeOnAShortStepWaitsForAllFiveBytes) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    const Bytes full = calc(0x84);
    rig.answer(Bytes(full.begin(), full.begin() + 3));
    rig.tick();
    EXPECT_TRUE(rig.failures.empty());
    rig.answer(Bytes(full.begin() + 3, full.end()));
    rig.run();
    EXPECT_EQ(rig.failures, std::vector<int>{20});
}

TEST(LinkEngineScreen, ImageNeedsThreeReadsAndIsHandedOver) {
    EngineRig rig;
    capture_to_block_step(rig);
    rig.answer(calc_block({0, 0, 0, 0}));
    rig.tick();
    Bytes image(1056);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 3);
    }
    rig.answer(calc_block(image));
    rig.tick();
    rig.tick();
    EXPECT_TRUE(rig.screen.empty());
    rig.tick();  // the third read completes the 1060 bytes
    EXPECT_EQ(rig.written(), concat({pc(0x01), pc(0x01)}));
    rig.run();
    EXPECT_EQ(rig.screen, image);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_EQ(rig.progress.done_, 10);
    EXPECT_FALSE(rig.progress.is_open());
}

TEST(LinkEngineCancel, CancelDuringCaptureSendsCancelClosesEverythingQuietly) {
    EngineRig rig;
    capture_to_block_step(rig);
    ASSERT_TRUE(rig.progress.is_open());
    rig.engine.request_abort(true);
    rig.run();
    EXPECT_EQ(rig.written(), pc(0x82));
    EXPECT_EQ(rig.failures, std::vector<int>{link::code::kUserAbort});
    EXPECT_FALSE(rig.progress.is_open());
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_TRUE(rig.screen.empty());
}

TEST(LinkEngineChecksum, BadChecksumsAreAnsweredWithNakAndCountedAcrossPackets) {
    link::LinkSettings settings;
    settings.retry_count = 3;
    EngineRig rig(settings);
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::capture), 0);
    rig.tick();
    rig.answer(calc(0x01));
    rig.tick();
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x63)}));
    Bytes bad_ack = calc(0x01);
    bad_ack[4] ^= 1;
    rig.answer(bad_ack);
    rig.tick();
    EXPECT_EQ(rig.written(), pc(0x81));
    EXPECT_EQ(rig.engine.repeat_counter(), 1);
    rig.answer(concat({calc(0x01), calc(0x23)}));  // the calculator repeats
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.written(), pc(0x01));
    // A bad block on a later step counts on from 1.
    Bytes bad_block = calc_block({0, 0, 0, 0});
    bad_block[3] ^= 1;
    rig.answer(bad_block);
    rig.tick();
    EXPECT_EQ(rig.written(), pc(0x81));
    EXPECT_EQ(rig.engine.repeat_counter(), 2);
    EXPECT_EQ(rig.engine.input_queued(), 0u) << "a bad block is consumed";
    rig.answer(bad_block);
    rig.run();
    EXPECT_EQ(rig.failures, std::vector<int>{5});
    EXPECT_EQ(rig.written(), pc(0x82));
    // Checksum failures are never forgotten.
    EXPECT_EQ(rig.engine.repeat_counter(), 3);
}

TEST(LinkEngineChecksum, BadAcknowledgementOfTheHelloAlsoRestartsTheHello) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
    rig.tick();
    rig.written();
    Bytes bad_ack = calc(0x01);
    bad_ack[3] ^= 1;
    rig.answer(bad_ack);
    rig.tick();
    // The negative acknowledgement goes out, and as the hello's answer is still missing the
    // hello starts again in the same tick.
    EXPECT_EQ(rig.written(), concat({pc(0x81), pc(0x42)}));
    rig.answer(calc(0x01));
    rig.run();
    EXPECT_EQ(rig.probes, 1);
}

TEST(LinkEngineChecksum, CalculatorNakRepeatsTheLastPacketByteForByte) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.answer(calc(0x01));
    rig.run(1);
    // The directory script has sent its request; a NAK asks for it again.
    EXPECT_EQ(rig.written(), concat({pc(0x42), pc(0x61)}));
    rig.answer(calc(0x81));
    rig.tick();
    EXPECT_EQ(rig.written(), pc(0x61));
    EXPECT_EQ(rig.engine.repeat_counter(), 1);
    rig.answer(calc(0x01));
    rig.tick();
    Bytes name_block =
        link::block_packet('1', '1', Bytes{'S', 'O', 'L', 'V', 'E', ' ', 'E', 'Q', 'U', ' ', ' '});
    EXPECT_EQ(rig.written(), name_block);
    rig.answer(calc(0x81));
    rig.tick();
    EXPECT_EQ(rig.written(), name_block);
}

TEST(LinkEngineChecksum, CalculatorNaksUpToRetryCountResetTheCounterAndFail) {
    link::LinkSettings settings;
    settings.retry_count = 3;
    EngineRig rig(settings);
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::send), 0);
    rig.tick();
    rig.answer(calc(0x81));
    rig.tick();
    rig.answer(calc(0x81));
    rig.tick();
    EXPECT_EQ(rig.engine.repeat_counter(), 2);
    rig.answer(calc(0x81));
    rig.run();
    EXPECT_EQ(rig.failures, std::vector<int>{5});
    EXPECT_EQ(rig.engine.repeat_counter(), 0);
}

// Runs the hello and the three directory lists with the given list replies.
void fetch_directory(EngineRig& rig, const std::array<Bytes, 3>& lists) {
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::receive), 0);
    rig.tick();
    rig.answer(calc(0x01));
    rig.tick();
    const char* names[] = {"SOLVE EQU  ", "PROGRAM    ", "ANIME      "};
    for (int i = 0; i < 3; ++i) {
        rig.answer(calc(0x01));  // to 0x61
        rig.tick();
        rig.answer(concat({calc(0x01), calc(0x21)}));
        rig.tick();
        rig.tick();
        rig.answer(calc_block(Bytes(names[i], names[i] + 11)));
        rig.tick();
        rig.answer(calc_block(lists[static_cast<std::size_t>(i)]));
        rig.tick();
        rig.tick();
    }
}

TEST(LinkEngineDirectory, ListsAreFetchedAndAnEmptyListIsEmpty) {
    EngineRig rig;
    rig.close_dialog_on_directory = false;
    Bytes programs{2};
    for (const char* n : {"ALPHA\xFF\xFF\xFF\xFF\xFF\xFF", "BETA\xFF\xFF\xFF\xFF\xFF\xFF\xFF"}) {
        programs.insert(programs.end(), n, n + 11);
    }
    fetch_directory(rig, {Bytes{0}, programs, Bytes{0}});
    ASSERT_EQ(rig.directories, 1);
    EXPECT_TRUE(rig.failures.empty());
    EXPECT_TRUE(rig.engine.directory_list(0).empty());
    ASSERT_EQ(rig.engine.directory_list(1).size(), 2u);
    EXPECT_EQ(rig.engine.directory_list(1)[1][0], 'B');
    EXPECT_TRUE(rig.engine.directory_list(2).empty());
    rig.engine.close_dialog();
    rig.run();
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkEngineDirectory, CategoryEchoMustMatchIgnoringCase) {
    EngineRig rig;
    ASSERT_EQ(rig.engine.start_operation(LinkOperation::receive), 0);
    rig.tick();
    rig.answer(calc(0x01));
    rig.tick();
    rig.answer(calc(0x01));
    rig.tick();
    rig.answer(concat({calc(0x01), calc(0x21)}));
    rig.tick();
    rig.tick();
    const std::string lower_echo = "solve equ  ";
    rig.answer(calc_block(Bytes(lower_echo.begin(), lower_echo.end())));
    rig.tick();
    EXPECT_TRUE(rig.failures.empty());
    rig.tick();
    const std::string other = "PROGRAM    ";
    rig.written();
    rig.answer(calc_block(Bytes{0}));
    rig.tick();
    rig.tick();
    // Next list: a wrong echo fails.
    rig.answer(calc(0x01));
    rig.tick();
    rig.answer(concat({calc(0x01), calc(0x21)}));
    rig.tick();
    rig.tick();
    rig.answer(calc_block(Bytes(lower_echo.begin(), lower_echo.end())));
    rig.run();
    EXPECT_EQ(rig.failures, std::vector<int>{5});
    (void)other;
}

// Drives a named item receive up to its 0x15 block step.
void item_receive_to_block(EngineRig& rig, const link::ItemName& requested, bool with_name) {
    rig.close_dialog_on_directory = false;
    fetch_directory(rig, {Bytes{0}, Bytes{0}, Bytes{0}});
    rig.engine.set_operation(LinkOperation::receive_items);
    rig.engine.run_named_item_receive(link::make_name("PROGRAM"), requested, with_name);
    rig.written();
    rig.answer(calc(0x01));
    rig.tick();
    rig.answer(calc(0x01));
    rig.tick();
    rig.answer(concat({calc(0x01), calc(0x22)}));
    rig.tick();
    rig.tick();
    const link::ItemName category = link::make_name("PROGRAM");
    Bytes info(category.begin(), category.end());
    info.insert(info.end(), {0, 0, 0, 0});
    rig.answer(calc_block(info));
    rig.tick();
    ASSERT_EQ(rig.engine.steps()[static_cast<std::size_t>(rig.engine.step_index())].command, 0x15);
}

Bytes item_block(const Bytes& name_field, const Bytes& payload) {
    Bytes body(8, 0);
    body.insert(body.end(), name_field.begin(), name_field.end());
    body.insert(body.end(), payload.begin(), payload.end());
    write_u32le(body, 0, static_cast<std::uint32_t>(body.size()));
    return calc_block(body);
}

TEST(LinkEngineItemBlock, NameFieldMustMatchTheRequestedName) {
    const link::ItemName requested = link::make_name("PROG1");
    {
        EngineRig rig;
        item_receive_to_block(rig, requested, true);
        rig.answer(item_block(Bytes(requested.begin(), requested.end()), {0, 1, 2, 3}));
        rig.tick();
        EXPECT_EQ(rig.engine.received_payload(), (Bytes{0, 1, 2, 3}));
        rig.run(2);
        EXPECT_EQ(rig.items_done, 1);
    }
    {
        EngineRig rig;
        item_receive_to_block(rig, requested, true);
        const link::ItemName other = link::make_name("prog2");
        rig.answer(item_block(Bytes(other.begin(), other.end()), {0, 1, 2, 3}));
        rig.run(2);
        EXPECT_EQ(rig.failures, std::vector<int>{5});
        EXPECT_EQ(rig.items_done, 0);
    }
}

TEST(LinkEngineItemBlock, CodeAddressedItemHasNoNameFieldAndPayloadAtOffset10) {
    EngineRig rig;
    link::ItemName code = link::make_name("");
    code[0] = 0x10;
    code[1] = 0x09;
    item_receive_to_block(rig, code, false);
    rig.answer(item_block({}, {0x10, 0x09, 7, 7}));
    rig.tick();
    EXPECT_EQ(rig.engine.received_payload(), (Bytes{0x10, 0x09, 7, 7}));
}

TEST(LinkEngineItemBlock, ImpossibleItemLengthFailsInsteadOfReadingOutside) {
    EngineRig rig;
    item_receive_to_block(rig, link::make_name("PROG1"), true);
    Bytes tiny = calc_block({4, 0, 0, 0});
    rig.answer(tiny);
    rig.run(3);
    EXPECT_EQ(rig.failures, std::vector<int>{5});
}

TEST(LinkEnginePacing, PacketAsLongAsTheAllowanceTakesOneExtraTick) {
    for (const int out_buffer : {5, 6}) {
        link::LinkSettings settings;
        settings.out_buffer = out_buffer;
        EngineRig rig(settings);
        ASSERT_EQ(rig.engine.start_operation(LinkOperation::probe), 0);
        rig.tick();
        EXPECT_EQ(rig.written(), pc(0x42));
        // A full piece leaves the packet open until an empty last piece on the next tick.
        EXPECT_EQ(rig.engine.step_index(), out_buffer == 5 ? 0 : 1);
        rig.answer(calc(0x01));
        rig.tick();
        EXPECT_EQ(rig.written(), pc(0x41)) << "answered and said goodbye in the second tick";
        rig.run();
        EXPECT_EQ(rig.probes, 1) << out_buffer;
    }
}

TEST(LinkEnginePacing, LongPacketLeavesInPiecesOfTheAllowance) {
    EngineRig rig;
    rig.close_dialog_on_directory = false;
    fetch_directory(rig, {Bytes{0}, Bytes{0}, Bytes{0}});
    rig.engine.set_operation(LinkOperation::send_files);
    const Bytes payload(100, 0xAB);
    rig.written();
    rig.engine.run_setup_item_send(0x29, payload);
    EXPECT_EQ(rig.written(), pc(0x29));
    rig.answer(calc(0x01));
    rig.tick();
    EXPECT_EQ(rig.written(), link::block_packet('1', '1', Bytes{100, 0, 0, 0}));
    rig.answer(calc(0x01));
    const int writes_before = rig.port.stats().writes;
    rig.tick();
    EXPECT_EQ(rig.written().size(), 30u);
    rig.tick();
    EXPECT_EQ(rig.written().size(), 30u);
    rig.tick();
    EXPECT_EQ(rig.written().size(), 30u);
    rig.tick();
    EXPECT_EQ(rig.written().size(), 14u);
    EXPECT_EQ(rig.port.stats().writes - writes_before, 4);
    rig.answer(calc(0x01));
    rig.tick();
    EXPECT_EQ(rig.files_done, 1);
}

TEST(LinkEnginePacing, NothingIsWrittenWhileTheDriverHoldsAFullBuffer) {
    link::LinkSettings settings;
    settings.timer_interval_ms = 0;
    EngineRig rig(settings);
    rig.close_dialog_on_directory = false;
    VirtualPortTiming slow;
    slow.line_rate = 100;  // 10 ms a byte
    slow.read_total_ms = 0;
    slow.read_interval_ms = 0;
    VirtualPort port(rig.clock, nullptr, slow);
    link::LinkEngine engine(port, settings, rig, rig.progress);
    ASSERT_EQ(engine.start_operation(LinkOperation::send_files), 0);
    engine.run_setup_item_send(0x29, Bytes(200, 1));
    // Announcement and its acknowledgement are skipped: look at pacing of the first packet only.
    EXPECT_EQ(port.wire_log().size(), 5u);
    EXPECT_EQ(port.output_queue(), 5u);
}

TEST(LinkEngineIdle, BytesMovingKeepTheOperationAlive) {
    link::LinkSettings settings;
    settings.retry_count = 5;
    EngineRig rig(settings);
    capture_to_block_step(rig);
    // A slow trickle of a valid block: one byte every tick never times out.
    const Bytes block = calc_block({0, 0, 0, 0});
    for (std::uint8_t b : block) {
        rig.answer(Bytes{b});
        rig.tick();
    }
    EXPECT_TRUE(rig.failures.empty());
    EXPECT_EQ(rig.written(), pc(0x01));
}

}  // namespace
}  // namespace travex
