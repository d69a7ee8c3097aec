// Every file type sent to the simulated calculator and received back byte for byte, and a
// 16 KB program at the fast profile (large writes on a slow line neither stall nor time out).
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::code_name;
using linktest::SimRig;

struct TypeCase {
    char letter;
    const char* file_name;  // as the receive list names it
    link::ItemName header_name;
    const char* title;
    std::size_t body_size;
    std::uint16_t code;  // variable code, 0 for named and setup items
};

TEST(LinkRoundTrip, EveryTypeSentComesBackByteIdentical) {
    const TypeCase cases[] = {
        {'p', "prog1.g6p", calc_name("PROG1"), "", 300, 0},
        {'e', "eq_one.g6e", calc_name("EQ ONE"), "", 40, 0},
        {'s', "show.g6s", calc_name("SHOW"), "Self-made slide show file data", 500, 0},
        {'i', "pict3.g6i", code_name(0x0D12), "", 1019, 0x0D12},
        {'l', "l2.g6l", code_name(0x0811), "List file data", 100, 0x0811},
        {'n', "l_data4.g6n", code_name(0x0D33), "List database file", 200, 0x0D33},
        {'m', "mat_c.g6m", code_name(0x0912), "Matrix file data", 150, 0x0912},
        {'d', "g_data2.g6d", code_name(0x0D21), "", 120, 0x0D21},
        {'y', "y1t.g6y", code_name(0x0C21), "", 60, 0x0C21},
        {'y', "u.g6y", code_name(0x0C40), "", 30, 0x0C40},
        {'b', "backup.g6b", link::make_name(""), "", 4000, 0},
        {'t', "tblsetup.g6t", link::make_name(""), "Table setup file data", 36, 0},
        {'v', "variable.g6v", link::make_name(""), "Data variable file data", 252, 0},
        {'p', "big.g6p", calc_name("BIG"), "", 16 * 1024, 0},  // at the fast profile
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.file_name);
        link::LinkSettings settings;
        if (c.body_size > 4000) {
            settings.timer_interval_ms = 10;
            settings.out_buffer = 4096;
        }
        SimRig rig(settings);
        Bytes body = linktest::pattern(c.body_size, static_cast<std::uint8_t>(c.letter));
        if (c.code != 0) {
            body[0] = static_cast<std::uint8_t>(c.code & 0xFF);
            body[1] = static_cast<std::uint8_t>(c.code >> 8);
        }
        const Bytes image = linktest::file_image('6', c.letter, c.header_name, c.title, body);
        const std::string source = std::string("out/") + c.file_name;
        rig.fs.files[source] = image;
        const link::LinkOutcome sent = rig.session.send({source});
        ASSERT_TRUE(sent.ok) << linktest::text_of(sent.message);
        EXPECT_EQ(rig.session.reports().at(0).outcome, link::FileOutcome::sent);

        const link::LinkOutcome got = rig.session.receive(linktest::choose({c.file_name}), "in");
        ASSERT_TRUE(got.ok) << linktest::text_of(got.message);
        ASSERT_EQ(rig.session.reports().size(), 1u);
        EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::received);
        EXPECT_EQ(rig.fs.files["in/" + std::string(c.file_name)], image);
        EXPECT_FALSE(rig.port.is_open());
        EXPECT_TRUE(rig.sim.idle());
        EXPECT_EQ(rig.sim.stats().goodbyes, 2);
    }
}

}  // namespace
}  // namespace travex
