// The send and receive flow against the simulated calculator: selection checks, refused files,
// the window-setup merge, the receive list, saving with the overwrite question.
#include <gtest/gtest.h>

#include <algorithm>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;
using Check = link::SendSelectionCheck::Result;

TEST(LinkSendSelection, BackupOnlyAloneAndOnlyTransmittableExtensions) {
    EXPECT_EQ(link::check_send_selection({"a.g6b"}, 4).result, Check::ok);
    EXPECT_EQ(link::check_send_selection({"a.g6b", "b.g6p"}, 4).result, Check::backup_conflict);
    EXPECT_EQ(link::check_send_selection({"x.txt", "a.G6B", "b.g6p"}, 4).result,
              Check::backup_conflict);
    EXPECT_EQ(link::check_send_selection({"a.g4p", "b.G6M", "c.g6z"}, 4).result, Check::ok);
    for (const char* bad : {"a.g5p", "a.g6g", "a.g6x", "a.g6", "a", "a.g6pp", "a.h6p"}) {
        const auto check = link::check_send_selection({"ok.g6p", bad}, 4);
        EXPECT_EQ(check.result, Check::bad_extension) << bad;
        EXPECT_EQ(check.failing_name, bad);
    }
    // Tested last to first: the message names the first bad name of the list.
    EXPECT_EQ(link::check_send_selection({"a.txt", "b.bmp"}, 4).failing_name, "a.txt");
    EXPECT_EQ(link::check_send_selection({"a.g3p"}, 5).result, Check::ok);
    EXPECT_EQ(link::check_send_selection({"a.g6p"}, 5).result, Check::bad_extension);
    EXPECT_EQ(link::check_send_selection({"a.g6p"}, 6).result, Check::bad_extension);
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
    ASSERT_TRUE(outcome.ok) << outcome.message;
    ASSERT_EQ(rig.ui.skip_questions.size(), 4u);
    EXPECT_EQ(rig.ui.skip_questions[0], std::string(link::kIncorrectFile) + "wrong.g6p");
    EXPECT_EQ(rig.ui.skip_questions[1], std::string(link::kNotTravexFormat) + "short.g6p");
    EXPECT_EQ(rig.ui.skip_questions[2], std::string(link::kNotTravexFormat) + "missing.g6p");
    EXPECT_EQ(rig.ui.skip_questions[3], std::string(link::kNotTransmittable) + "group.g6g");
    EXPECT_EQ(rig.sim.memory().directory(link::make_name("PROGRAM")).size(), 2u);
    EXPECT_EQ(rig.session.reports()[1].outcome, link::FileOutcome::skipped);
    EXPECT_EQ(rig.session.reports()[5].outcome, link::FileOutcome::sent);
    EXPECT_EQ(rig.progress.done_, 6);
    EXPECT_FALSE(rig.progress.is_open());

    SimRig cancelled;
    cancelled.ui.skip_answer = link::SkipAnswer::cancel;
    cancelled.fs.files = rig.fs.files;
    const link::LinkOutcome stop = cancelled.session.send({"good1.g6p", "wrong.g6p", "good2.g6p"});
    EXPECT_TRUE(stop.stopped);
    EXPECT_EQ(cancelled.sim.stats().items_stored, 1);
    EXPECT_EQ(cancelled.sim.stats().goodbyes, 1);
    EXPECT_FALSE(cancelled.port.is_open());
}

Bytes records(std::uint8_t seed) {
    return pattern(sim::kWindowSetupRecords * 9, seed);
}

bool record_equal(const Bytes& a, const Bytes& b, int record) {
    return std::equal(a.begin() + record * 9, a.begin() + record * 9 + 9, b.begin() + record * 9);
}

TEST(LinkSendFlow, ZoomAndWindowSetupFilesAreMergedIntoTheCalculatorsBlock) {
    for (const char letter : {'z', 'w'}) {
        SimRig rig;
        const Bytes calculator = records(0x10);
        rig.sim.memory().put_setup(0x2B, calculator);
        const Bytes file_block = records(0x80);
        rig.fs.files[std::string("s.g6") + letter] =
            file_image('6', letter, link::make_name(""), "", file_block);
        const link::LinkOutcome outcome = rig.session.send({std::string("s.g6") + letter});
        ASSERT_TRUE(outcome.ok) << outcome.message;
        const Bytes* merged = rig.sim.memory().find_setup(0x2B);
        ASSERT_NE(merged, nullptr);
        ASSERT_EQ(merged->size(), calculator.size());
        const std::vector<int> zoom = {10, 11, 12, 13, 14, 15, 19, 20,
                                       21, 25, 26, 27, 32, 33, 34, 35};
        const std::vector<int> window = {0, 1, 2, 3, 4, 5, 16, 17, 18, 22, 23, 24, 28, 29, 30, 31};
        const auto& mine = letter == 'z' ? zoom : window;
        for (int r = 0; r < 36; ++r) {
            // Records 6-9 belong to neither file type and always stay the calculator's.
            const bool from_file = std::find(mine.begin(), mine.end(), r) != mine.end();
            EXPECT_TRUE(record_equal(*merged, from_file ? file_block : calculator, r))
                << letter << " record " << r;
        }
        EXPECT_EQ(rig.sim.stats().items_sent, 1) << "the block was fetched first";
    }
}

TEST(LinkSendFlow, MergeOfShortBlocksStaysInsideBoth) {
    const Bytes calc(5 * 9, 1);
    const Bytes file(20 * 9, 2);
    const Bytes merged = link::merge_window_setup(calc, file, false);
    ASSERT_EQ(merged.size(), calc.size());
    EXPECT_EQ(merged[0], 2);
    const Bytes zoom = link::merge_window_setup(Bytes(36 * 9, 1), Bytes(12 * 9, 2), true);
    EXPECT_EQ(zoom[10 * 9], 2);
    EXPECT_EQ(zoom[12 * 9], 1);
}

TEST(LinkReceiveList, ShowsEveryCategoryInOrderWithFileNames) {
    SimRig rig;
    rig.sim.memory().put_named(link::make_name("PROGRAM"), calc_name("PROG1"), {0});
    rig.sim.memory().put_named(link::make_name("ANIME"), calc_name("MY SHOW"), {});
    std::vector<link::ReceiveItem> items;
    ASSERT_TRUE(rig.session.list(items).ok);
    EXPECT_FALSE(rig.port.is_open());
    ASSERT_EQ(items.size(), 1u + 10 + 31 + 0 + 10 + 6 + 10 + 10 + 1 + 1 + 4);
    std::vector<std::string> names;
    for (const auto& item : items) {
        names.push_back(item.line_text);
    }
    EXPECT_EQ(names.front(), "backup.g6b");
    EXPECT_EQ(names[1], "g_data1.g6d");
    EXPECT_EQ(names[10], "g_data0.g6d");
    EXPECT_EQ(names[11], "y1.g6y");
    EXPECT_EQ(names[41], "w.g6y");
    EXPECT_NE(std::find(names.begin(), names.end(), "mat_a.g6m"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "pict0.g6i"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "l6.g6l"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "l_data1.g6n"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "prog1.g6p"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "my_show.g6s"), names.end());
    EXPECT_EQ(names.back(), "zoom.g6z");
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
    const auto list3 = link::receive_list(3, cats3);
    for (const auto& item : list3) {
        EXPECT_TRUE(item.letter != 'e' && item.letter != 'm' && item.letter != 's');
        EXPECT_EQ(item.line_text[item.line_text.size() - 2], '3');
    }
    const auto list5 = link::receive_list(5, link::build_receive_categories(5, dirs));
    EXPECT_TRUE(std::any_of(list5.begin(), list5.end(), [](auto& i) { return i.letter == 's'; }));
    EXPECT_FALSE(std::any_of(list5.begin(), list5.end(), [](auto& i) { return i.letter == 'e'; }));
    EXPECT_EQ(link::build_receive_categories(2, dirs)[2].items.size(), 31u);
}

std::vector<link::ReceiveItem> by_name(const std::vector<link::ReceiveItem>& all,
                                       std::initializer_list<std::string> names) {
    std::vector<link::ReceiveItem> out;
    for (const auto& n : names) {
        for (const auto& i : all) {
            if (i.line_text == n) {
                out.push_back(i);
            }
        }
    }
    return out;
}

TEST(LinkReceiveFlow, ExistingFilesAskAndOverwriteAllStopsAsking) {
    SimRig rig;
    rig.fs.files["in/tblsetup.g6t"] = {1, 2, 3};
    rig.fs.files["in/variable.g6v"] = {4, 5, 6};
    rig.fs.files["in/winsetup.g6w"] = {7};
    const auto choose = [](const auto& all) {
        return by_name(all, {"tblsetup.g6t", "variable.g6v", "winsetup.g6w"});
    };
    rig.ui.overwrite_answer = link::OverwriteAnswer::skip;
    ASSERT_TRUE(rig.session.receive(choose, "in").ok);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 3u);
    EXPECT_EQ(rig.ui.overwrite_questions[0], "in/tblsetup.g6t");
    EXPECT_EQ(rig.fs.files["in/tblsetup.g6t"], (Bytes{1, 2, 3}));
    EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::kept);

    rig.ui.overwrite_questions.clear();
    rig.ui.overwrite_answer = link::OverwriteAnswer::overwrite_all;
    ASSERT_TRUE(rig.session.receive(choose, "in").ok);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 1u);
    EXPECT_EQ(rig.fs.files["in/variable.g6v"].size(), 54u + 28 * 9);
    const Bytes& image = rig.fs.files["in/tblsetup.g6t"];
    EXPECT_EQ(std::string(image.begin() + 13, image.begin() + 34), "Table setup file data");

    // Overwrite-all belongs to one receive: the next one asks again.
    rig.ui.overwrite_questions.clear();
    rig.ui.overwrite_answer = link::OverwriteAnswer::cancel;
    const link::LinkOutcome stopped = rig.session.receive(choose, "in");
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 1u);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_EQ(rig.sim.stats().goodbyes, 3);
}

TEST(LinkReceiveFlow, FullDiskAndFailedWritesStopWithoutTouchingFiles) {
    SimRig rig;
    rig.fs.free = 100;
    const auto choose = [](const auto& all) { return by_name(all, {"backup.g6b", "zoom.g6z"}); };
    const link::LinkOutcome full = rig.session.receive(choose, "in");
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.message, "Insufficient free disk space.");
    EXPECT_TRUE(rig.fs.files.empty());
    EXPECT_EQ(rig.sim.stats().items_sent, 1) << "nothing is asked for after the stop";
    EXPECT_FALSE(rig.port.is_open());

    rig.fs.free.reset();
    rig.fs.fail_writes = true;
    const link::LinkOutcome failed = rig.session.receive(choose, "in");
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(rig.fs.files.empty());
}

TEST(LinkReceiveFlow, ZoomAndWindowSetupBothHoldTheWholeBlock) {
    SimRig rig;
    const Bytes block = records(0x33);
    rig.sim.memory().put_setup(0x2B, block);
    ASSERT_TRUE(rig.session
                    .receive(
                        [](const auto& all) {
                            return by_name(all, {"winsetup.g6w", "zoom.g6z"});
                        },
                        "")
                    .ok);
    EXPECT_EQ(Bytes(rig.fs.files["zoom.g6z"].begin() + 54, rig.fs.files["zoom.g6z"].end()), block);
    EXPECT_EQ(rig.fs.files["winsetup.g6w"][1], 'w');
    EXPECT_EQ(rig.fs.files["zoom.g6z"][0], '6');
}

TEST(LinkReceiveFlow, MissingItemFailsWithCommunicationFailed) {
    SimRig rig;
    const link::LinkOutcome outcome =
        rig.session.receive([](const auto& all) { return by_name(all, {"mat_j.g6m"}); }, "in");
    EXPECT_EQ(outcome.code, 5);
    EXPECT_TRUE(rig.fs.files.empty());
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkReceiveFlow, NoCalculatorMeansNoResponseAndAClosedPort) {
    SimRig rig;
    rig.port.set_peer(nullptr);
    std::vector<link::ReceiveItem> items;
    const link::LinkOutcome outcome = rig.session.list(items);
    EXPECT_EQ(outcome.code, 4);
    EXPECT_EQ(outcome.message.substr(0, 12), "No response.");
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_EQ(rig.port.stats().closes, 1);
}

}  // namespace
}  // namespace travex

namespace travex {
namespace {

TEST(LinkFastProfile, LargeOutBufferOnASlowLineNeitherStallsNorTimesOut) {
    link::LinkSettings fast;
    fast.timer_interval_ms = 10;
    fast.out_buffer = 4096;
    linktest::SimRig rig(fast);
    const Bytes body = linktest::pattern(16 * 1024, 9);
    const Bytes image = linktest::file_image('6', 'p', linktest::calc_name("BIG"), "", body);
    rig.fs.files["big.g6p"] = image;
    const link::LinkOutcome sent = rig.session.send({"big.g6p"});
    ASSERT_TRUE(sent.ok) << sent.message;
    // 16 KB at 3491 bytes a second: the data block alone needs 4.7 s on the line.
    EXPECT_GE(rig.session.transfer_ms(), 4700u);
    EXPECT_LE(rig.session.transfer_ms(), 6000u);
    const link::LinkOutcome got = rig.session.receive(
        [](const auto& all) {
            std::vector<link::ReceiveItem> chosen;
            for (const auto& i : all) {
                if (i.line_text == "big.g6p") {
                    chosen.push_back(i);
                }
            }
            return chosen;
        },
        "in");
    ASSERT_TRUE(got.ok) << got.message;
    EXPECT_EQ(rig.fs.files["in/big.g6p"], image);
}

TEST(LinkFastProfile, DefaultsPaceThirtyBytesATick) {
    linktest::SimRig rig;
    rig.fs.files["p.g6p"] =
        linktest::file_image('6', 'p', linktest::calc_name("P"), "", linktest::pattern(3000, 1));
    ASSERT_TRUE(rig.session.send({"p.g6p"}).ok);
    // The 3024-byte data block leaves 30 bytes a tick: at least 100 ticks of 100 ms.
    EXPECT_GE(rig.session.transfer_ms(), 10'000u);
}

}  // namespace
}  // namespace travex

namespace travex {
namespace {

TEST(LinkReceiveNames, CalculatorNamesNeverLeaveTheFolder) {
    linktest::SimRig rig;
    rig.sim.memory().put_named(link::make_name("PROGRAM"), linktest::calc_name("../A/B"), {0, 7});
    std::vector<link::ReceiveItem> items;
    ASSERT_TRUE(rig.session.list(items).ok);
    const auto it =
        std::find_if(items.begin(), items.end(), [](const auto& i) { return i.letter == 'p'; });
    ASSERT_NE(it, items.end());
    EXPECT_EQ(it->line_text.find('/'), std::string::npos) << it->line_text;
    const link::LinkOutcome got = rig.session.receive(
        [](const auto& all) {
            std::vector<link::ReceiveItem> chosen;
            for (const auto& i : all) {
                if (i.letter == 'p') {
                    chosen.push_back(i);
                }
            }
            return chosen;
        },
        "in");
    ASSERT_TRUE(got.ok) << got.message;
    ASSERT_EQ(rig.fs.files.size(), 1u);
    const std::string path = rig.fs.files.begin()->first;
    EXPECT_EQ(path.rfind("in/", 0), 0u);
    EXPECT_EQ(path.find('/', 3), std::string::npos) << path;
}

}  // namespace
}  // namespace travex
