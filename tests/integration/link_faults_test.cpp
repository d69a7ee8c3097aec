// Injected calculator faults: each ends with the right code or recovers, never leaves a
// partial file and always leaves the port closed.
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;

struct FaultCase {
    std::string spec;
    int code;  // -1: the transfer recovers
};

std::vector<link::ReceiveItem> pick(const std::vector<link::ReceiveItem>& all,
                                    std::initializer_list<std::string> names) {
    std::vector<link::ReceiveItem> chosen;
    for (const std::string& n : names) {
        for (const auto& item : all) {
            if (item.line_text == n) {
                chosen.push_back(item);
            }
        }
    }
    return chosen;
}

void preload_program(sim::SimCalculator& sim, std::string_view name, const Bytes& body) {
    Bytes reply{0x00};
    reply.insert(reply.end(), body.begin(), body.end());
    sim.memory().put_named(link::make_name("PROGRAM"), calc_name(name), reply);
}

// Replies of a receive: 1 hello, 2-13 the three directory lists, 14-18 the first item
// (18 is its 0x15 block), 19-23 the second item.
class LinkReceiveFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LinkReceiveFault, EndsWithItsCodeOrRecovers) {
    const FaultCase c = GetParam();
    SimRig rig;
    preload_program(rig.sim, "ONE", pattern(700, 1));
    preload_program(rig.sim, "TWO", pattern(900, 2));
    std::string error;
    const auto fault = sim::parse_fault(c.spec, error);
    ASSERT_TRUE(fault) << error;
    rig.sim.add_fault(*fault);

    const link::LinkOutcome outcome = rig.session.receive(
        [](const auto& all) {
            return pick(all, {"one.g6p", "two.g6p"});
        },
        "in");
    EXPECT_FALSE(rig.port.is_open());
    if (c.code < 0) {
        ASSERT_TRUE(outcome.ok) << outcome.message;
        Bytes expected = file_image('6', 'p', calc_name("TWO"), "", pattern(900, 2));
        EXPECT_EQ(rig.fs.files["in/two.g6p"], expected);
        EXPECT_EQ(rig.fs.files.size(), 2u);
        EXPECT_EQ(rig.sim.stats().naks_received + rig.sim.stats().naks_sent, 1)
            << "the fault was hit and repaired";
        return;
    }
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(outcome.message, link::link_message(c.code));
    // Whatever was stored is whole: only items received completely were saved.
    for (const auto& [path, image] : rig.fs.files) {
        if (path == "in/one.g6p") {
            EXPECT_EQ(image, file_image('6', 'p', calc_name("ONE"), "", pattern(700, 1)));
        } else {
            ADD_FAILURE() << "unexpected file " << path;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LinkReceiveFault,
    ::testing::Values(FaultCase{"checksum:18", -1}, FaultCase{"checksum:23", -1},
                      FaultCase{"checksum:4", -1}, FaultCase{"nak:17", -1}, FaultCase{"nak:5", -1},
                      FaultCase{"silence", 4}, FaultCase{"silence:20", 4}, FaultCase{"id1:14", 5},
                      FaultCase{"id2:14", 14}, FaultCase{"id2:23", 14}, FaultCase{"cancel82:16", 5},
                      FaultCase{"cancel83:23", 5}, FaultCase{"memfull:23", 20},
                      FaultCase{"truncate:18", 4}, FaultCase{"truncate:23", 4}),
    [](const auto& info) {
        std::string n = info.param.spec;
        for (char& ch : n) {
            if (ch == ':') {
                ch = '_';
            }
        }
        return n;
    });

TEST(LinkReceiveFaultFiles, FailureInTheSecondItemKeepsTheFirstAndStoresNoPartOfTheSecond) {
    SimRig rig;
    preload_program(rig.sim, "ONE", pattern(700, 1));
    preload_program(rig.sim, "TWO", pattern(900, 2));
    rig.sim.add_fault({sim::FaultKind::truncate, 23});
    const link::LinkOutcome outcome = rig.session.receive(
        [](const auto& all) {
            return pick(all, {"one.g6p", "two.g6p"});
        },
        "in");
    EXPECT_EQ(outcome.code, link::code::kNoResponse);
    EXPECT_EQ(rig.fs.files.count("in/one.g6p"), 1u);
    EXPECT_EQ(rig.fs.files.count("in/two.g6p"), 0u);
    ASSERT_EQ(rig.session.reports().size(), 2u);
    EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::received);
    EXPECT_EQ(rig.session.reports()[1].outcome, link::FileOutcome::failed);
    // After a failed item the goodbye still follows.
    EXPECT_EQ(rig.sim.stats().goodbyes, 1);
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkSendFault, MemoryFullEndsWithCode20AndTheCalculatorKeepsNothing) {
    SimRig rig;
    rig.sim.set_capacity(100);
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("BIG"), "", pattern(500, 3));
    const link::LinkOutcome outcome = rig.session.send({"a.g6p"});
    EXPECT_EQ(outcome.code, link::code::kCalculatorMemoryOver);
    EXPECT_EQ(outcome.message, "Calculator memory over.");
    EXPECT_EQ(rig.sim.memory().directory(link::make_name("PROGRAM")).size(), 0u);
    EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::failed);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_TRUE(rig.sim.idle());
}

TEST(LinkSendFault, InjectedMemoryFullStopsTheRestOfTheFiles) {
    SimRig rig;
    rig.sim.add_fault({sim::FaultKind::memory_full, 0});
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(50, 3));
    rig.fs.files["b.g6p"] = file_image('6', 'p', calc_name("B"), "", pattern(50, 4));
    const link::LinkOutcome outcome = rig.session.send({"a.g6p", "b.g6p"});
    EXPECT_EQ(outcome.code, 20);
    EXPECT_EQ(rig.sim.stats().items_stored, 0);
    EXPECT_EQ(rig.session.reports()[1].outcome, link::FileOutcome::failed);
}

TEST(LinkSendFault, NegativeAcknowledgementOfTheDataBlockResendsItWhole) {
    SimRig rig;
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(300, 3));
    // Replies: 1 hello, 2-13 directory, 14 announcement, 15 name and length, 16 data block.
    rig.sim.add_fault({sim::FaultKind::nak, 16});
    const link::LinkOutcome outcome = rig.session.send({"a.g6p"});
    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(rig.sim.stats().naks_sent, 1);
    EXPECT_EQ(rig.sim.stats().items_stored, 1);
    const Bytes* stored = rig.sim.memory().find_item(link::make_name("PROGRAM"), calc_name("A"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->size(), 301u);
}

TEST(LinkCaptureFault, ScreenArrivesAndACaptureFaultClosesThePort) {
    {
        SimRig rig;
        Bytes screen;
        const link::LinkOutcome outcome = rig.session.capture(screen);
        ASSERT_TRUE(outcome.ok) << outcome.message;
        EXPECT_EQ(screen, sim::default_screen());
        EXPECT_FALSE(rig.port.is_open());
    }
    {
        SimRig rig;
        rig.sim.add_fault({sim::FaultKind::bad_checksum, 4});  // the 1060-byte image
        Bytes screen;
        ASSERT_TRUE(rig.session.capture(screen).ok);
        EXPECT_EQ(screen, sim::default_screen());
        EXPECT_EQ(rig.sim.stats().naks_received, 1);
    }
    {
        SimRig rig;
        rig.sim.add_fault({sim::FaultKind::cancel83, 3});
        Bytes screen;
        const link::LinkOutcome outcome = rig.session.capture(screen);
        EXPECT_EQ(outcome.code, 5);
        EXPECT_TRUE(screen.empty());
        EXPECT_FALSE(rig.port.is_open());
        EXPECT_FALSE(rig.progress.is_open());
    }
}

TEST(LinkFaultSpec, ParsesEveryFormAndRejectsNonsense) {
    std::string error;
    const auto c = sim::parse_fault("checksum:3", error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kind, sim::FaultKind::bad_checksum);
    EXPECT_EQ(c->at, 3);
    EXPECT_EQ(sim::parse_fault("memfull", error)->at, 0);
    EXPECT_EQ(sim::parse_fault("silence", error)->kind, sim::FaultKind::silence);
    EXPECT_EQ(sim::parse_fault("id2", error)->at, 1);
    EXPECT_EQ(sim::parse_fault("cancel83:7", error)->kind, sim::FaultKind::cancel83);
    EXPECT_FALSE(sim::parse_fault("checksum:0", error));
    EXPECT_FALSE(sim::parse_fault("checksum:x", error));
    EXPECT_FALSE(sim::parse_fault("truncate:3x", error));
    EXPECT_FALSE(sim::parse_fault("thunder", error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace travex
