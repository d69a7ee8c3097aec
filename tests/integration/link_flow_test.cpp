// The send and receive flow against the simulated calculator: refused files, the window-setup
// merge, saving with the overwrite question, full disks, names that would leave the folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::choose;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;
using Items = std::vector<link::ReceiveItem>;

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
    EXPECT_EQ(link::merge_window_setup(Bytes(36 * 9, 1), Bytes(12 * 9, 2), true)[12 * 9], 1);
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

TEST(LinkReceiveFlow, CalculatorNamesNeverLeaveTheFolder) {
    SimRig rig;
    rig.sim.memory().put_named(link::make_name("PROGRAM"), calc_name("../A/B"), {0, 7});
    Items items;
    ASSERT_TRUE(rig.session.list(items).ok);
    const auto program =
        std::find_if(items.begin(), items.end(), [](auto& i) { return i.letter == 'p'; });
    ASSERT_NE(program, items.end());
    EXPECT_EQ(program->line_text.find('/'), std::string::npos);
    ASSERT_TRUE(rig.session.receive(choose({program->line_text}), "in").ok);
    ASSERT_EQ(rig.fs.files.size(), 1u);
    const std::string path = rig.fs.files.begin()->first;
    EXPECT_EQ(path.rfind("in/", 0), 0u);
    EXPECT_EQ(path.find('/', 3), std::string::npos) << path;
}

}  // namespace
}  // namespace travex
