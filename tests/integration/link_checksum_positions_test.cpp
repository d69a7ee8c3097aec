// One corrupted checksum anywhere in an operation is repaired: the computer's negative
// acknowledgement makes the calculator repeat, and the operation ends exactly as it would
// without the fault. Every reply position of every operation is tried.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;

// The calculator of these tests: two programs, a list and the window setup, so that a
// receive covers the named, the coded and the setup-item scripts.
void fill_calculator(SimRig& rig) {
    linktest::put_program(rig.sim, "ONE", pattern(300, 1));
    linktest::put_program(rig.sim, "TWO", pattern(90, 2));
    Bytes list = {0x10, 0x08};
    const Bytes values = pattern(40, 7);
    list.insert(list.end(), values.begin(), values.end());
    rig.sim.memory().put_code(link::make_name("MATRIX"), {0x10, 0x08}, list);
    rig.sim.memory().put_setup(0x2B, pattern(180, 9));
}

// What an operation leaves behind, compared between a clean run and a faulty one.
struct Result {
    link::LinkOutcome outcome;
    std::map<std::string, Bytes> files;
    std::vector<link::ItemName> calculator_programs;
    Bytes screen;
    std::vector<std::string> listed;
    int replies = 0;
    int naks = 0;
};

using Operation = std::function<link::LinkOutcome(SimRig&, Result&)>;

Result run(const Operation& operation, int bad_reply) {
    SimRig rig;
    fill_calculator(rig);
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(200, 3));
    rig.fs.files["w.g6w"] = file_image('6', 'w', link::ItemName{}, "", pattern(180, 5));
    if (bad_reply > 0) {
        rig.sim.add_fault({sim::FaultKind::bad_checksum, bad_reply});
    }
    Result r;
    r.outcome = operation(rig, r);
    r.files = rig.fs.files;
    r.calculator_programs = rig.sim.memory().directory(link::make_name("PROGRAM"));
    r.replies = rig.sim.stats().replies;
    r.naks = rig.sim.stats().naks_received;
    EXPECT_FALSE(rig.port.is_open());
    return r;
}

TEST(LinkChecksumAnyPosition, ListSendReceiveAndCaptureAreRepaired) {
    const std::pair<const char*, Operation> operations[] = {
        {"list",
         [](SimRig& rig, Result& r) {
             std::vector<link::ReceiveItem> items;
             const auto outcome = rig.session.list(items);
             for (const auto& item : items) {
                 r.listed.push_back(item.line_text);
             }
             return outcome;
         }},
        // A named file and a setup item.
        {"send",
         [](SimRig& rig, Result&) {
             return rig.session.send({"a.g6p", "w.g6w"});
         }},
        // Named, coded and setup items.
        {"receive",
         [](SimRig& rig, Result&) {
             return rig.session.receive(
                 linktest::choose({"one.g6p", "two.g6p", "l1.g6l", "winsetup.g6w"}), "in");
         }},
        {"capture", [](SimRig& rig, Result& r) { return rig.session.capture(r.screen); }},
    };
    for (const auto& [name, operation] : operations) {
        const Result clean = run(operation, 0);
        ASSERT_TRUE(clean.outcome.ok) << name << " code " << clean.outcome.code;
        ASSERT_GT(clean.replies, 1);
        for (int at = 1; at <= clean.replies; ++at) {
            SCOPED_TRACE(std::string(name) + ": bad checksum on reply " + std::to_string(at) +
                         " of " + std::to_string(clean.replies));
            const Result faulty = run(operation, at);
            EXPECT_TRUE(faulty.outcome.ok) << "code " << faulty.outcome.code;
            EXPECT_EQ(faulty.naks, 1) << "the fault was answered by one negative acknowledgement";
            EXPECT_EQ(faulty.files, clean.files);
            EXPECT_EQ(faulty.calculator_programs, clean.calculator_programs);
            EXPECT_EQ(faulty.screen, clean.screen);
            EXPECT_EQ(faulty.listed, clean.listed);
        }
    }
    EXPECT_EQ(run(operations[3].second, 0).screen.size(), link::kScreenBytes);
}

}  // namespace
}  // namespace travex
