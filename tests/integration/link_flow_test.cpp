// The send and receive flow against the simulated calculator: refused files, the window-setup
// merge, the overwrite question, full disks, names that would leave the folder.
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::choose;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;

TEST(LinkSendFlow, ZoomAndWindowSetupFilesAreMergedIntoTheCalculatorsBlock) {
    const std::vector<int> zoom = {10, 11, 12, 13, 14, 15, 19, 20, 21, 25, 26, 27, 32, 33, 34, 35};
    const std::vector<int> window = {0, 1, 2, 3, 4, 5, 16, 17, 18, 22, 23, 24, 28, 29, 30, 31};
    for (const char letter : {'z', 'w'}) {
        SimRig rig;
        const Bytes calculator = pattern(sim::kWindowSetupRecords * 9, 0x10);
        const Bytes file_block = pattern(sim::kWindowSetupRecords * 9, 0x80);
        rig.sim.memory().put_setup(0x2B, calculator);
        const std::string name = std::string("s.g6") + letter;
        rig.fs.files[name] = file_image(letter, link::make_name(""), "", file_block);
        ASSERT_TRUE(rig.session.send({name}).ok);
        const Bytes merged = *rig.sim.memory().find_setup(0x2B);
        ASSERT_EQ(merged.size(), calculator.size());
        // Records 6-9 belong to neither file type and always stay the calculator's.
        for (int r = 0; r < 36; ++r) {
            const bool from_file = std::ranges::count(letter == 'z' ? zoom : window, r) != 0;
            EXPECT_TRUE(std::equal(merged.begin() + r * 9, merged.begin() + r * 9 + 9,
                                   (from_file ? file_block : calculator).begin() + r * 9))
                << letter << " record " << r;
        }
    }
    // Short blocks on either side: the merge stays inside both.
    EXPECT_EQ(link::merge_window_setup(Bytes(5 * 9, 1), Bytes(20 * 9, 2), false), Bytes(5 * 9, 2));
}

TEST(LinkReceiveFlow, ExistingFilesAskAndOverwriteAllStopsAsking) {
    SimRig rig;
    rig.fs.files["in/tblsetup.g6t"] = {1, 2, 3};
    rig.fs.files["in/variable.g6v"] = {4, 5, 6};
    const auto two = choose({"tblsetup.g6t", "variable.g6v"});
    ASSERT_TRUE(rig.session.receive(two, "in").ok);
    EXPECT_EQ(rig.ui.overwrite_questions,
              (std::vector<std::string>{"in/tblsetup.g6t", "in/variable.g6v"}));
    EXPECT_EQ(rig.fs.files["in/tblsetup.g6t"], (Bytes{1, 2, 3}));
    rig.ui.overwrite_questions.clear();
    rig.ui.overwrite_answer = OverwriteAnswer::overwrite_all;
    ASSERT_TRUE(rig.session.receive(two, "in").ok);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 1u);
    EXPECT_NE(rig.fs.files["in/tblsetup.g6t"], (Bytes{1, 2, 3})) << "the answered file is replaced";
    EXPECT_EQ(rig.fs.files["in/variable.g6v"].size(), 54u + 28 * 9);
    // Overwrite-all belongs to one receive: the next one asks again.
    rig.ui.overwrite_answer = OverwriteAnswer::cancel;
    EXPECT_TRUE(rig.session.receive(two, "in").stopped);
    EXPECT_EQ(rig.ui.overwrite_questions.size(), 2u);
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkReceiveFlow, FullDiskFailedWritesAndMissingItemsStoreNothing) {
    SimRig rig;
    rig.fs.free_bytes = 100;
    const auto two = choose({"backup.g6b", "zoom.g6z"});
    const link::LinkOutcome full = rig.session.receive(two, "in");
    EXPECT_EQ(full.message, MessageId::disk_full);
    EXPECT_EQ(full.path, "in/backup.g6b") << "the failure names the file it concerns";
    EXPECT_EQ(rig.sim.stats().items_sent, 1) << "nothing is asked for after the stop";
    rig.fs.free_bytes.reset();
    rig.fs.fail_writes = true;
    EXPECT_EQ(rig.session.receive(two, "in").path, "in/backup.g6b");
    rig.fs.fail_writes = false;
    EXPECT_EQ(rig.session.receive(choose({"mat_j.g6m"}), "in").code, 5);
    EXPECT_TRUE(rig.fs.files.empty());
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkReceiveFlow, CalculatorNamesNeverLeaveTheFolder) {
    SimRig rig;
    rig.sim.memory().put_named(link::make_name("PROGRAM"), calc_name("../A/B"), {0, 7});
    const auto first_program = [](const std::vector<link::ReceiveItem>& all) {
        return std::vector{*std::ranges::find(all, 'p', &link::ReceiveItem::letter)};
    };
    ASSERT_TRUE(rig.session.receive(first_program, "in").ok);
    ASSERT_EQ(rig.fs.files.size(), 1u);
    const std::string path = rig.fs.files.begin()->first;
    EXPECT_TRUE(path.starts_with("in/") && path.find('/', 3) == std::string::npos) << path;
}

}  // namespace
}  // namespace travex
