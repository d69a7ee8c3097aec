// Injected calculator faults: each ends with the right code or recovers, never leaves a
// partial file and always leaves the port closed.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <tuple>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;

// Two programs on the calculator, ONE and TWO, received into "in".
link::LinkOutcome receive_two(SimRig& rig, std::optional<sim::Fault> fault) {
    for (const auto& [name, size, seed] : {std::tuple{"ONE", 700, 1}, std::tuple{"TWO", 900, 2}}) {
        Bytes reply{0x00};
        const Bytes body = pattern(static_cast<std::size_t>(size), static_cast<std::uint8_t>(seed));
        reply.insert(reply.end(), body.begin(), body.end());
        rig.sim.memory().put_named(link::make_name("PROGRAM"), calc_name(name), reply);
    }
    if (fault) {
        rig.sim.add_fault(*fault);
    }
    return rig.session.receive(
        [](const std::vector<link::ReceiveItem>& all) {
            std::vector<link::ReceiveItem> chosen;
            std::copy_if(all.begin(), all.end(), std::back_inserter(chosen), [](const auto& i) {
                return i.line_text == "one.g6p" || i.line_text == "two.g6p";
            });
            return chosen;
        },
        "in");
}

// Replies of a receive: 1 hello, 2-13 the three directory lists, 14-18 the first item
// (18 is its 0x15 block), 19-23 the second item.
TEST(LinkReceiveFault, EachEndsWithItsCodeOrRecoversAndStoresOnlyWholeFiles) {
    const std::pair<const char*, int> cases[] = {
        // code -1: the transfer recovers
        {"checksum:18", -1}, {"checksum:23", -1}, {"checksum:4", -1}, {"nak:17", -1},
        {"nak:5", -1},       {"silence", 4},      {"silence:20", 4},  {"id1:14", 5},
        {"id2:14", 14},      {"id2:23", 14},      {"cancel82:16", 5}, {"cancel83:23", 5},
        {"memfull:23", 20},  {"truncate:18", 4},  {"truncate:23", 4}};
    const Bytes one = file_image('6', 'p', calc_name("ONE"), "", pattern(700, 1));
    const Bytes two = file_image('6', 'p', calc_name("TWO"), "", pattern(900, 2));
    for (const auto& [text, code] : cases) {
        SCOPED_TRACE(text);
        SimRig rig;
        std::string error;
        const auto fault = sim::parse_fault(text, error);
        ASSERT_TRUE(fault) << error;
        const link::LinkOutcome outcome = receive_two(rig, fault);
        EXPECT_FALSE(rig.port.is_open());
        if (code < 0) {
            EXPECT_TRUE(outcome.ok) << linktest::text_of(outcome.message);
            EXPECT_EQ(rig.fs.files,
                      (std::map<std::string, Bytes>{{"in/one.g6p", one}, {"in/two.g6p", two}}));
            EXPECT_EQ(rig.sim.stats().naks_received + rig.sim.stats().naks_sent, 1)
                << "the fault was hit and repaired";
            continue;
        }
        EXPECT_EQ(outcome.code, code);
        EXPECT_EQ(outcome.message, link::link_message(code));
        // Whatever was stored is whole: only items received completely were saved.
        EXPECT_TRUE(rig.fs.files.empty() ||
                    rig.fs.files == (std::map<std::string, Bytes>{{"in/one.g6p", one}}));
    }
}

TEST(LinkReceiveFault, FailureInTheSecondItemKeepsTheFirstAndStillSaysGoodbye) {
    SimRig rig;
    EXPECT_EQ(receive_two(rig, sim::Fault{sim::FaultKind::truncate, 23}).code,
              link::code::kNoResponse);
    EXPECT_EQ(rig.fs.files.count("in/one.g6p"), 1u);
    ASSERT_EQ(rig.session.reports().size(), 2u);
    EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::received);
    EXPECT_EQ(rig.session.reports()[1].outcome, link::FileOutcome::failed);
    EXPECT_EQ(rig.sim.stats().goodbyes, 1);
}

TEST(LinkSendFault, MemoryFullEndsWithCode20AndTheCalculatorKeepsNothing) {
    for (const bool injected : {false, true}) {
        SimRig rig;
        if (injected) {
            rig.sim.add_fault({sim::FaultKind::memory_full, 0});
        } else {
            rig.sim.set_capacity(100);
        }
        rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(500, 3));
        rig.fs.files["b.g6p"] = file_image('6', 'p', calc_name("B"), "", pattern(50, 4));
        const link::LinkOutcome outcome = rig.session.send({"a.g6p", "b.g6p"});
        EXPECT_EQ(outcome.code, link::code::kCalculatorMemoryOver);
        EXPECT_EQ(outcome.message, MessageId::calculator_memory_over);
        EXPECT_EQ(rig.sim.stats().items_stored, 0);
        EXPECT_EQ(rig.sim.memory().directory(link::make_name("PROGRAM")).size(), 0u);
        EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::failed);
        EXPECT_EQ(rig.session.reports()[1].outcome, link::FileOutcome::failed);
        EXPECT_FALSE(rig.port.is_open());
        EXPECT_TRUE(rig.sim.idle());
    }
}

TEST(LinkSendFault, NegativeAcknowledgementOfTheDataBlockResendsItWhole) {
    SimRig rig;
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(300, 3));
    // Replies: 1 hello, 2-13 directory, 14 announcement, 15 name and length, 16 data block.
    rig.sim.add_fault({sim::FaultKind::nak, 16});
    ASSERT_TRUE(rig.session.send({"a.g6p"}).ok);
    EXPECT_EQ(rig.sim.stats().naks_sent, 1);
    EXPECT_EQ(rig.sim.stats().items_stored, 1);
    const Bytes* stored = rig.sim.memory().find_item(link::make_name("PROGRAM"), calc_name("A"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->size(), 301u);
}

TEST(LinkCaptureFault, ScreenArrivesOrTheFaultClosesEverything) {
    // {fault, code or -1}: the bad checksum is on the 1060-byte image and is repaired.
    const std::pair<std::optional<sim::Fault>, int> cases[] = {
        {std::nullopt, -1},
        {sim::Fault{sim::FaultKind::bad_checksum, 4}, -1},
        {sim::Fault{sim::FaultKind::cancel83, 3}, 5}};
    for (const auto& [fault, code] : cases) {
        SimRig rig;
        if (fault) {
            rig.sim.add_fault(*fault);
        }
        Bytes screen;
        EXPECT_EQ(rig.session.capture(screen).code, code);
        EXPECT_EQ(screen, code < 0 ? sim::default_screen() : Bytes{});
        EXPECT_EQ(rig.sim.stats().naks_received, fault && code < 0 ? 1 : 0);
        EXPECT_FALSE(rig.port.is_open());
        EXPECT_FALSE(rig.progress.is_open());
    }
}

TEST(LinkFaultText, ParsesEveryFormAndRejectsNonsense) {
    std::string error;
    const auto c = sim::parse_fault("checksum:3", error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kind, sim::FaultKind::bad_checksum);
    EXPECT_EQ(c->at, 3);
    EXPECT_EQ(sim::parse_fault("memfull", error)->at, 0);
    EXPECT_EQ(sim::parse_fault("silence", error)->kind, sim::FaultKind::silence);
    EXPECT_EQ(sim::parse_fault("id2", error)->at, 1);
    EXPECT_EQ(sim::parse_fault("cancel83:7", error)->kind, sim::FaultKind::cancel83);
    for (const char* bad : {"checksum:0", "checksum:x", "truncate:3x", "thunder"}) {
        EXPECT_FALSE(sim::parse_fault(bad, error)) << bad;
    }
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace travex
