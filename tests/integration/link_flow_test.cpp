// The send and receive flow against the simulated calculator: selection checks, refused files,
// the window-setup merge, the receive list, saving with the overwrite question, cancel, pacing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;
using Check = link::SendSelectionCheck::Result;
using Items = std::vector<link::ReceiveItem>;

// A receive chooser that takes the items the predicate accepts, in list order.
auto choose_if(std::function<bool(const link::ReceiveItem&)> accept) {
    return [accept](const Items& all) {
        Items out;
        std::copy_if(all.begin(), all.end(), std::back_inserter(out), accept);
        return out;
    };
}

auto choose(std::vector<std::string> names) {
    return choose_if([names](const link::ReceiveItem& i) {
        return std::find(names.begin(), names.end(), i.line_text) != names.end();
    });
}

TEST(LinkSendSelection, BackupOnlyAloneAndOnlyTransmittableExtensions) {
    // {selection, model, result, the name the message gives}
    const std::tuple<std::vector<std::string>, int, Check, std::string> cases[] = {
        {{"a.g6b"}, 4, Check::ok, ""},
        {{"a.g6b", "b.g6p"}, 4, Check::backup_conflict, ""},
        {{"x.txt", "a.G6B", "b.g6p"}, 4, Check::backup_conflict, ""},
        {{"a.g4p", "b.G6M", "c.g6z"}, 4, Check::ok, ""},
        // Tested last to first: the message names the first bad name of the list.
        {{"a.txt", "b.bmp"}, 4, Check::bad_extension, "a.txt"},
        {{"a.g3p"}, 5, Check::ok, ""},
        {{"a.g6p"}, 5, Check::bad_extension, "a.g6p"},
        {{"a.g6p"}, 6, Check::bad_extension, "a.g6p"},
    };
    for (const auto& [names, model, result, failing] : cases) {
        const auto check = link::check_send_selection(names, model);
        EXPECT_EQ(check.result, result) << names.front() << " model " << model;
        EXPECT_TRUE(failing.empty() || check.failing_name == failing) << check.failing_name;
    }
    for (const char* bad : {"a.g5p", "a.g6g", "a.g6x", "a.g6", "a", "a.g6pp", "a.h6p"}) {
        const auto check = link::check_send_selection({"ok.g6p", bad}, 4);
        EXPECT_EQ(check.result, Check::bad_extension) << bad;
        EXPECT_EQ(check.failing_name, bad);
    }
}

TEST(LinkSendFlow, RefusedFilesAskSkipOrCancel) {
    SimRig rig;
    rig.fs.files["good1.g6p"] = file_image('6', 'p', calc_name("G1"), "", pattern(10, 1));
    rig.fs.files["wrong.g6p"] = file_image('6', 'l', calc_name("W"), "", pattern(10, 1));
    rig.fs.files["short.g6p"] = Bytes(53, 'p');
    rig.fs.files["group.g6g"] = file_image('6', 'g', calc_name("G"), "", pattern(10, 1));
    rig.fs.files["good2.g6p"] = file_image('6', 'p', calc_name("G2"), "", pattern(10, 2));
    const link::LinkOutcome outcome = rig.session.send(
        {"good1.g6p", "wrong.g6p", "short.g6p", "missing.g6p", "group.g6g", "good2.g6p"});
    ASSERT_TRUE(outcome.ok) << linktest::text_of(outcome.message);
    const std::vector<std::string> asked = {
        linktest::text_of(MessageId::incorrect_file) + "wrong.g6p",
        linktest::text_of(MessageId::not_travex_format) + "short.g6p",
        linktest::text_of(MessageId::not_travex_format) + "missing.g6p",
        linktest::text_of(MessageId::not_transmittable) + "group.g6g"};
    EXPECT_EQ(rig.ui.skip_questions, asked);
    EXPECT_EQ(rig.sim.memory().directory(link::make_name("PROGRAM")).size(), 2u);
    EXPECT_EQ(rig.session.reports()[1].outcome, link::FileOutcome::skipped);
    EXPECT_EQ(rig.session.reports()[5].outcome, link::FileOutcome::sent);
    EXPECT_EQ(rig.progress.done_, 6);
    EXPECT_FALSE(rig.progress.is_open());

    SimRig cancelled;
    cancelled.ui.skip_answer = SkipAnswer::cancel;
    cancelled.fs.files = rig.fs.files;
    EXPECT_TRUE(cancelled.session.send({"good1.g6p", "wrong.g6p", "good2.g6p"}).stopped);
    EXPECT_EQ(cancelled.sim.stats().items_stored, 1);
    EXPECT_EQ(cancelled.sim.stats().goodbyes, 1);
    EXPECT_FALSE(cancelled.port.is_open());
}

Bytes records(std::uint8_t seed) {
    return pattern(sim::kWindowSetupRecords * 9, seed);
}

TEST(LinkSendFlow, ZoomAndWindowSetupFilesAreMergedIntoTheCalculatorsBlock) {
    const std::vector<int> zoom = {10, 11, 12, 13, 14, 15, 19, 20, 21, 25, 26, 27, 32, 33, 34, 35};
    const std::vector<int> window = {0, 1, 2, 3, 4, 5, 16, 17, 18, 22, 23, 24, 28, 29, 30, 31};
    for (const char letter : {'z', 'w'}) {
        SimRig rig;
        const Bytes calculator = records(0x10);
        const Bytes file_block = records(0x80);
        rig.sim.memory().put_setup(0x2B, calculator);
        const std::string name = std::string("s.g6") + letter;
        rig.fs.files[name] = file_image('6', letter, link::make_name(""), "", file_block);
        ASSERT_TRUE(rig.session.send({name}).ok);
        const Bytes* merged = rig.sim.memory().find_setup(0x2B);
        ASSERT_TRUE(merged != nullptr && merged->size() == calculator.size());
        const auto& mine = letter == 'z' ? zoom : window;
        for (int r = 0; r < 36; ++r) {
            // Records 6-9 belong to neither file type and always stay the calculator's.
            const bool from_file = std::find(mine.begin(), mine.end(), r) != mine.end();
            const Bytes& source = from_file ? file_block : calculator;
            EXPECT_TRUE(std::equal(merged->begin() + r * 9, merged->begin() + r * 9 + 9,
                                   source.begin() + r * 9))
                << letter << " record " << r;
        }
        EXPECT_EQ(rig.sim.stats().items_sent, 1) << "the block was fetched first";
    }
    // Short blocks on either side: the merge stays inside both.
    const Bytes merged = link::merge_window_setup(Bytes(5 * 9, 1), Bytes(20 * 9, 2), false);
    ASSERT_EQ(merged.size(), 5u * 9);
    EXPECT_EQ(merged[0], 2);
    const Bytes zoomed = link::merge_window_setup(Bytes(36 * 9, 1), Bytes(12 * 9, 2), true);
    EXPECT_EQ(zoomed[10 * 9], 2);
    EXPECT_EQ(zoomed[12 * 9], 1);
}

TEST(LinkReceiveList, ShowsEveryCategoryInOrderWithFileNames) {
    SimRig rig;
    rig.sim.memory().put_named(link::make_name("PROGRAM"), calc_name("PROG1"), {0});
    rig.sim.memory().put_named(link::make_name("ANIME"), calc_name("MY SHOW"), {});
    Items items;
    ASSERT_TRUE(rig.session.list(items).ok);
    EXPECT_FALSE(rig.port.is_open());
    ASSERT_EQ(items.size(), 1u + 10 + 31 + 0 + 10 + 6 + 10 + 10 + 1 + 1 + 4);
    const std::pair<std::size_t, const char*> at[] = {
        {0, "backup.g6b"}, {1, "g_data1.g6d"}, {10, "g_data0.g6d"},
        {11, "y1.g6y"},    {41, "w.g6y"},      {items.size() - 1, "zoom.g6z"}};
    for (const auto& [index, name] : at) {
        EXPECT_EQ(items[index].line_text, name);
    }
    for (const char* name :
         {"mat_a.g6m", "pict0.g6i", "l6.g6l", "l_data1.g6n", "prog1.g6p", "my_show.g6s"}) {
        EXPECT_EQ(choose({name})(items).size(), 1u) << name;
    }
    EXPECT_EQ(items[1].value(), 0x0100);
    EXPECT_EQ(items[1].request[0], 0x20);
    EXPECT_EQ(items[1].request[1], 0x0D);
}

TEST(LinkReceiveList, ModelOrderAndGraphEquationCount) {
    const std::array<std::vector<link::ItemName>, 3> dirs = {
        std::vector<link::ItemName>{calc_name("E")}, std::vector<link::ItemName>{},
        std::vector<link::ItemName>{calc_name("S")}};
    const auto cats3 = link::build_receive_categories(3, dirs);
    EXPECT_EQ(cats3[2].items.size(), 22u);
    for (const auto& item : link::receive_list(3, cats3)) {
        EXPECT_TRUE(item.letter != 'e' && item.letter != 'm' && item.letter != 's');
        EXPECT_EQ(item.line_text[item.line_text.size() - 2], '3');
    }
    const auto list5 = link::receive_list(5, link::build_receive_categories(5, dirs));
    EXPECT_TRUE(std::any_of(list5.begin(), list5.end(), [](auto& i) { return i.letter == 's'; }));
    EXPECT_FALSE(std::any_of(list5.begin(), list5.end(), [](auto& i) { return i.letter == 'e'; }));
    EXPECT_EQ(link::build_receive_categories(2, dirs)[2].items.size(), 31u);
}

TEST(LinkReceiveFlow, ExistingFilesAskAndOverwriteAllStopsAsking) {
    SimRig rig;
    rig.fs.files["in/tblsetup.g6t"] = {1, 2, 3};
    rig.fs.files["in/variable.g6v"] = {4, 5, 6};
    rig.fs.files["in/winsetup.g6w"] = {7};
    const auto three = choose({"tblsetup.g6t", "variable.g6v", "winsetup.g6w"});
    ASSERT_TRUE(rig.session.receive(three, "in").ok);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 3u);
    EXPECT_EQ(rig.ui.overwrite_questions[0], "in/tblsetup.g6t");
    EXPECT_EQ(rig.fs.files["in/tblsetup.g6t"], (Bytes{1, 2, 3}));
    EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::kept);

    rig.ui.overwrite_questions.clear();
    rig.ui.overwrite_answer = OverwriteAnswer::overwrite_all;
    ASSERT_TRUE(rig.session.receive(three, "in").ok);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 1u);
    EXPECT_EQ(rig.fs.files["in/variable.g6v"].size(), 54u + 28 * 9);
    const Bytes& image = rig.fs.files["in/tblsetup.g6t"];
    EXPECT_EQ(std::string(image.begin() + 13, image.begin() + 34), "Table setup file data");

    // Overwrite-all belongs to one receive: the next one asks again.
    rig.ui.overwrite_questions.clear();
    rig.ui.overwrite_answer = OverwriteAnswer::cancel;
    EXPECT_TRUE(rig.session.receive(three, "in").stopped);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 1u);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_EQ(rig.sim.stats().goodbyes, 3);
}

TEST(LinkReceiveFlow, FullDiskFailedWritesAndMissingItemsStoreNothing) {
    SimRig rig;
    rig.fs.free_bytes = 100;
    const auto two = choose({"backup.g6b", "zoom.g6z"});
    const link::LinkOutcome full = rig.session.receive(two, "in");
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.message, MessageId::disk_full);
    EXPECT_EQ(full.path, "in/backup.g6b") << "the failure names the file it concerns";
    EXPECT_EQ(rig.sim.stats().items_sent, 1) << "nothing is asked for after the stop";
    EXPECT_FALSE(rig.port.is_open());
    rig.fs.free_bytes.reset();
    rig.fs.fail_writes = true;
    const link::LinkOutcome unwritable = rig.session.receive(two, "in");
    EXPECT_FALSE(unwritable.ok);
    EXPECT_EQ(unwritable.path, "in/backup.g6b");
    rig.fs.fail_writes = false;
    const link::LinkOutcome missing = rig.session.receive(choose({"mat_j.g6m"}), "in");
    EXPECT_EQ(missing.code, 5);
    EXPECT_TRUE(missing.path.empty()) << "a failure of the link names no file";
    EXPECT_TRUE(rig.fs.files.empty());
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkReceiveFlow, ZoomAndWindowSetupBothHoldTheWholeBlock) {
    SimRig rig;
    const Bytes block = records(0x33);
    rig.sim.memory().put_setup(0x2B, block);
    ASSERT_TRUE(rig.session.receive(choose({"winsetup.g6w", "zoom.g6z"}), "").ok);
    const Bytes& zoom = rig.fs.files["zoom.g6z"];
    EXPECT_EQ(Bytes(zoom.begin() + 54, zoom.end()), block);
    EXPECT_EQ(zoom[0], '6');
    EXPECT_EQ(rig.fs.files["winsetup.g6w"][1], 'w');
}

TEST(LinkReceiveFlow, NoCalculatorMeansNoResponseAndAClosedPort) {
    SimRig rig;
    rig.port.set_peer(nullptr);
    Items items;
    const link::LinkOutcome outcome = rig.session.list(items);
    EXPECT_EQ(outcome.code, 4);
    EXPECT_EQ(outcome.message, MessageId::no_response);
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_EQ(rig.port.stats().closes, 1);
}

TEST(LinkReceiveFlow, CalculatorNamesNeverLeaveTheFolder) {
    SimRig rig;
    rig.sim.memory().put_named(link::make_name("PROGRAM"), calc_name("../A/B"), {0, 7});
    const auto programs = choose_if([](const link::ReceiveItem& i) { return i.letter == 'p'; });
    Items items;
    ASSERT_TRUE(rig.session.list(items).ok);
    ASSERT_EQ(programs(items).size(), 1u);
    EXPECT_EQ(programs(items)[0].line_text.find('/'), std::string::npos);
    ASSERT_TRUE(rig.session.receive(programs, "in").ok);
    ASSERT_EQ(rig.fs.files.size(), 1u);
    const std::string path = rig.fs.files.begin()->first;
    EXPECT_EQ(path.rfind("in/", 0), 0u);
    EXPECT_EQ(path.find('/', 3), std::string::npos) << path;
}

TEST(LinkReceiveFlow, ProgressCountsOneUnitPerItem) {
    SimRig rig;
    ASSERT_TRUE(rig.session
                    .receive(choose_if([](const link::ReceiveItem& i) {
                                 return i.letter == 't' || i.letter == 'v' || i.letter == 'w';
                             }),
                             "in")
                    .ok);
    EXPECT_EQ(string_text(string_id(rig.progress.title_)), "Receiving ...");
    EXPECT_EQ(rig.progress.total_, 3);
    EXPECT_EQ(rig.progress.done_, 3);
    EXPECT_FALSE(rig.progress.is_open());
    EXPECT_EQ(rig.progress.text_, "variable.g6v") << "the list order: T, W, V";
}

TEST(LinkPacing, LargeOutBufferOnASlowLineNeitherStallsNorTimesOut) {
    link::LinkSettings fast;
    fast.timer_interval_ms = 10;
    fast.out_buffer = 4096;
    SimRig rig(fast);
    const Bytes image = file_image('6', 'p', calc_name("BIG"), "", pattern(16 * 1024, 9));
    rig.fs.files["big.g6p"] = image;
    ASSERT_TRUE(rig.session.send({"big.g6p"}).ok);
    // 16 KB at 3491 bytes a second: the data block alone needs 4.7 s on the line.
    EXPECT_GE(rig.session.transfer_ms(), 4700u);
    EXPECT_LE(rig.session.transfer_ms(), 6000u);
    ASSERT_TRUE(rig.session.receive(choose({"big.g6p"}), "in").ok);
    EXPECT_EQ(rig.fs.files["in/big.g6p"], image);

    SimRig slow;  // defaults
    slow.fs.files["p.g6p"] = file_image('6', 'p', calc_name("P"), "", pattern(3000, 1));
    ASSERT_TRUE(slow.session.send({"p.g6p"}).ok);
    // The 3024-byte data block leaves 30 bytes a tick: at least 100 ticks of 100 ms.
    EXPECT_GE(slow.session.transfer_ms(), 10'000u);
}

// Presses Cancel after a number of ticks.
class CancellingProgress final : public link::CountingProgress {
public:
    void flash() override {
        link::CountingProgress::flash();
        if (engine != nullptr && flashes_ == cancel_at) {
            engine->request_abort(rewrite);
        }
    }
    link::LinkEngine* engine = nullptr;
    int cancel_at = 0;
    bool rewrite = false;
};

struct CancelRig {
    explicit CancelRig(int cancel_at, bool rewrite = false) {
        progress.engine = &session.engine();
        progress.cancel_at = cancel_at;
        progress.rewrite = rewrite;
    }
    VirtualClock clock;
    sim::SimCalculator sim;
    link::LinkSettings settings;
    VirtualPort port{clock, &sim};
    testing::FaultFileSystem fs;
    linktest::ScriptedUi ui;
    CancellingProgress progress;
    link::LinkSession session{port, clock, settings, fs, ui, progress};
};

TEST(LinkCancel, CancelDuringASendStopsQuietlySaysGoodbyeAndClosesThePort) {
    CancelRig rig(40);  // inside the data block of the first file
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(3000, 1));
    rig.fs.files["b.g6p"] = file_image('6', 'p', calc_name("B"), "", pattern(30, 2));
    const link::LinkOutcome outcome = rig.session.send({"a.g6p", "b.g6p"});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.code, link::code::kUserAbort);
    EXPECT_EQ(outcome.message, MessageId::none) << "a cancel shows no message";
    EXPECT_EQ(rig.sim.stats().cancels_received, 1);
    EXPECT_EQ(rig.sim.stats().items_stored, 0);
    EXPECT_EQ(rig.sim.stats().goodbyes, 1);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_FALSE(rig.progress.is_open());
}

TEST(LinkCancel, CancelDuringACaptureLeavesNoPortOpenAndNoImage) {
    for (const bool rewrite : {true, false}) {
        CancelRig rig(4, rewrite);
        Bytes screen;
        EXPECT_EQ(rig.session.capture(screen).code, link::code::kUserAbort);
        EXPECT_TRUE(screen.empty());
        // With the rewritten steps the cancel may go out twice: as the next step and from
        // the abort itself.
        EXPECT_GE(rig.sim.stats().cancels_received, 1);
        EXPECT_FALSE(rig.port.is_open());
        EXPECT_FALSE(rig.progress.is_open());
    }
}

TEST(LinkProbe, AnsweredHelloThenGoodbyeAndSilenceIsNoResponse) {
    SimRig rig;
    EXPECT_TRUE(rig.session.probe().ok);
    EXPECT_EQ(rig.sim.stats().hellos, 1);
    EXPECT_EQ(rig.sim.stats().goodbyes, 1);
    // Faults count the simulator's replies over its whole life.
    rig.sim.add_fault({sim::FaultKind::silence, rig.sim.stats().replies + 1});
    EXPECT_EQ(rig.session.probe().code, link::code::kNoResponse);
    EXPECT_EQ(rig.sim.stats().hellos, 1 + 4) << "the first hello and three restarts";
    EXPECT_FALSE(rig.port.is_open());
}

}  // namespace
}  // namespace travex
