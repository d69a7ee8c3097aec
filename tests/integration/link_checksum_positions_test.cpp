// One corrupted checksum anywhere in an operation is repaired: the computer's negative
// acknowledgement makes the calculator repeat, and the operation ends exactly as it would
// without the fault. Every reply position of list, send, receive and capture is tried.
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::pattern;
using linktest::SimRig;

// What an operation leaves behind: its end, the computer's files, the calculator's programs,
// and the listed names or the screen.
struct Result {
    bool ok = false;
    std::map<std::string, Bytes> files;
    std::vector<link::ItemName> programs;
    std::vector<std::string> seen;
    Bytes screen;
    int replies = 0;
    int naks = 0;
    bool operator==(const Result& o) const {
        return std::tie(ok, files, programs, seen, screen) ==
               std::tie(o.ok, o.files, o.programs, o.seen, o.screen);
    }
};

// The calculator holds two programs, a list and the window setup, so that the operations cover
// the named, the coded and the setup-item scripts.
Result run(int operation, int bad_reply) {
    SimRig rig;
    linktest::put_program(rig.sim, "ONE", pattern(300, 1));
    linktest::put_program(rig.sim, "TWO", pattern(90, 2));
    Bytes list = pattern(42, 7);
    list[0] = 0x10;
    list[1] = 0x08;
    rig.sim.memory().put_code(link::make_name("MATRIX"), {0x10, 0x08}, list);
    rig.sim.memory().put_setup(0x2B, pattern(180, 9));
    rig.fs.files["a.g6p"] =
        linktest::file_image('p', linktest::calc_name("A"), "", pattern(200, 3));
    rig.fs.files["w.g6w"] = linktest::file_image('w', link::ItemName{}, "", pattern(180, 5));
    if (bad_reply > 0) {
        rig.sim.add_fault({sim::FaultKind::bad_checksum, bad_reply});
    }
    Result r;
    std::vector<link::ReceiveItem> items;
    switch (operation) {
        case 0:
            r.ok = rig.session.list(items).ok;
            std::ranges::transform(items, std::back_inserter(r.seen),
                                   &link::ReceiveItem::line_text);
            break;
        case 1:
            r.ok = rig.session.send({"a.g6p", "w.g6w"}).ok;
            break;
        case 2:
            r.ok = rig.session
                       .receive(linktest::choose({"one.g6p", "two.g6p", "l1.g6l", "winsetup.g6w"}),
                                "in")
                       .ok;
            break;
        default:
            r.ok = rig.session.capture(r.screen).ok && r.screen.size() == link::kScreenBytes;
    }
    r.files = rig.fs.files;
    r.programs = rig.sim.memory().directory(link::make_name("PROGRAM"));
    r.replies = rig.sim.stats().replies;
    r.naks = rig.sim.stats().naks_received;
    EXPECT_FALSE(rig.port.is_open());
    return r;
}

TEST(LinkChecksumAnyPosition, ListSendReceiveAndCaptureAreRepaired) {
    for (int operation = 0; operation < 4; ++operation) {
        const Result clean = run(operation, 0);
        ASSERT_TRUE(clean.ok && clean.replies > 1) << operation;
        for (int at = 1; at <= clean.replies; ++at) {
            SCOPED_TRACE("operation " + std::to_string(operation) + ", bad reply " +
                         std::to_string(at));
            const Result faulty = run(operation, at);
            EXPECT_EQ(faulty, clean);
            EXPECT_EQ(faulty.naks, 1) << "the fault was answered by one negative acknowledgement";
        }
    }
}

}  // namespace
}  // namespace travex
