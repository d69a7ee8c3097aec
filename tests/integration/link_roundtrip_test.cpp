// Every file type sent to the simulated calculator and received back.
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace travex {
namespace {

using linktest::code_name;
using linktest::file_image;
using linktest::pattern;
using linktest::SimRig;

struct TypeCase {
    char letter;
    std::string file_name;  // as the receive list names it
    link::ItemName header_name;
    std::string title;
    std::size_t body_size;
    std::uint16_t code;  // variable code, 0 for named and setup items
};

Bytes body_for(const TypeCase& c) {
    Bytes body = pattern(c.body_size, static_cast<std::uint8_t>(c.letter));
    if (c.code != 0 && body.size() >= 2) {
        body[0] = static_cast<std::uint8_t>(c.code & 0xFF);
        body[1] = static_cast<std::uint8_t>(c.code >> 8);
    }
    return body;
}

std::vector<TypeCase> all_cases() {
    return {
        {'p', "prog1.g6p", linktest::calc_name("PROG1"), "", 300, 0},
        {'e', "eq_one.g6e", linktest::calc_name("EQ ONE"), "", 40, 0},
        {'s', "show.g6s", linktest::calc_name("SHOW"), "Self-made slide show file data", 500, 0},
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
    };
}

class LinkRoundTrip : public ::testing::TestWithParam<TypeCase> {};

TEST_P(LinkRoundTrip, SentFileComesBackByteIdentical) {
    const TypeCase c = GetParam();
    SimRig rig;
    const Bytes image = file_image('6', c.letter, c.header_name, c.title, body_for(c));
    const std::string source = "out/" + c.file_name;
    rig.fs.files[source] = image;

    const link::LinkOutcome sent = rig.session.send({source});
    ASSERT_TRUE(sent.ok) << linktest::text_of(sent.message);
    ASSERT_EQ(rig.session.reports().at(0).outcome, link::FileOutcome::sent);
    EXPECT_FALSE(rig.port.is_open());

    const link::LinkOutcome got = rig.session.receive(
        [&](const std::vector<link::ReceiveItem>& all) {
            std::vector<link::ReceiveItem> chosen;
            for (const auto& item : all) {
                if (item.line_text == c.file_name) {
                    chosen.push_back(item);
                }
            }
            return chosen;
        },
        "in");
    ASSERT_TRUE(got.ok) << linktest::text_of(got.message);
    ASSERT_EQ(rig.session.reports().size(), 1u);
    EXPECT_EQ(rig.session.reports()[0].outcome, link::FileOutcome::received);
    ASSERT_TRUE(rig.fs.files.count("in/" + c.file_name)) << c.file_name;
    EXPECT_EQ(rig.fs.files["in/" + c.file_name], image);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_TRUE(rig.sim.idle());
    EXPECT_EQ(rig.sim.stats().goodbyes, 2);
}

INSTANTIATE_TEST_SUITE_P(EveryType, LinkRoundTrip, ::testing::ValuesIn(all_cases()),
                         [](const auto& info) {
                             std::string n = info.param.file_name;
                             for (char& ch : n) {
                                 if (ch == '.') {
                                     ch = '_';
                                 }
                             }
                             return n;
                         });

}  // namespace
}  // namespace travex
