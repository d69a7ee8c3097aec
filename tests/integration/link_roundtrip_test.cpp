// Every file type sent to the simulated calculator and received back byte for byte, and a 16 KB
// program at the fast profile (large writes on a slow line neither stall nor time out).
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace travex {
namespace {

TEST(LinkRoundTrip, EveryTypeSentComesBackByteIdentical) {
    // {type letter, file name in the receive list, name field, title, body size, variable code}
    const std::tuple<char, const char*, const char*, const char*, std::size_t, std::uint16_t>
        cases[] = {
            {'p', "prog1.g6p", "PROG1", "", 300, 0},
            {'e', "eq_one.g6e", "EQ ONE", "", 40, 0},
            {'s', "show.g6s", "SHOW", "Self-made slide show file data", 500, 0},
            {'i', "pict3.g6i", "", "", 1019, 0x0D12},
            {'l', "l2.g6l", "", "List file data", 100, 0x0811},
            {'n', "l_data4.g6n", "", "List database file", 200, 0x0D33},
            {'m', "mat_c.g6m", "", "Matrix file data", 150, 0x0912},
            {'d', "g_data2.g6d", "", "", 120, 0x0D21},
            {'y', "y1t.g6y", "", "", 60, 0x0C21},
            {'y', "u.g6y", "", "", 30, 0x0C40},
            {'b', "backup.g6b", nullptr, "", 4000, 0},
            {'t', "tblsetup.g6t", nullptr, "Table setup file data", 36, 0},
            {'v', "variable.g6v", nullptr, "Data variable file data", 252, 0},
            {'p', "big.g6p", "BIG", "", 16 * 1024, 0},  // at the fast profile
        };
    for (const auto& [letter, file, name, title, size, code] : cases) {
        SCOPED_TRACE(file);
        link::LinkSettings settings;
        settings.timer_interval_ms = size > 4000 ? 10 : settings.timer_interval_ms;
        settings.out_buffer = size > 4000 ? 4096 : settings.out_buffer;
        linktest::SimRig rig(settings);
        Bytes body = linktest::pattern(size, static_cast<std::uint8_t>(letter));
        // Coded items: the code (index byte first) leads both the name field and the body.
        link::ItemName field = name ? linktest::calc_name(name) : link::make_name("");
        if (code != 0) {
            field.fill(' ');
            field[0] = body[0] = static_cast<std::uint8_t>(code & 0xFF);
            field[1] = body[1] = static_cast<std::uint8_t>(code >> 8);
        }
        const Bytes image = linktest::file_image(letter, field, title, body);
        rig.fs.files[std::string("out/") + file] = image;
        ASSERT_TRUE(rig.session.send({std::string("out/") + file}).ok);
        ASSERT_TRUE(rig.session.receive(linktest::choose({file}), "in").ok);
        EXPECT_EQ(rig.fs.files["in/" + std::string(file)], image);
        EXPECT_FALSE(rig.port.is_open());
        EXPECT_TRUE(rig.sim.idle());
    }
}

}  // namespace
}  // namespace travex
