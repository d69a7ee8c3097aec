// Start and its failures, and capabilities.
#include <array>
#include <functional>
#include <map>

#include "driver_test.h"

namespace qmub::sim {
namespace {

using DriverPnp = DriverTest;

// The port's name: "PortName", else "Identifier", at most 32 characters.
TEST(DriverPnpPortName, PublishedUnderItsNameOrRefused) {
    const std::u16string longest(32, u'C');
    const std::pair<std::map<std::u16string, std::u16string>, std::u16string> rows[] = {
        {{{u"PortName", u"COM3"}, {u"Identifier", u"COM7"}}, u"COM3"},
        {{{u"Identifier", u"COM7"}}, u"COM7"},
        {{{u"PortName", longest}}, longest},
        {{{u"PortName", longest + u"C"}}, u""},
    };
    for (const auto& [strings, published] : rows) {
        DriverHarness h;
        h.kernel.device_strings = strings;
        EXPECT_EQ(h.AddAndStart(), published.empty() ? kInvalidParameter : kSuccess);
        if (published.empty()) {
            EXPECT_TRUE(h.kernel.dos_links.empty());
            EXPECT_FALSE(h.kernel.interface_enabled);  // the start was undone
        } else {
            EXPECT_EQ(h.kernel.dos_links.at(u"\\DosDevices\\" + published),
                      h.kernel.interface_link);
            EXPECT_EQ(h.kernel.serialcomm.at(h.kernel.interface_link), published);
        }
        ExpectNoFaults(h);
    }
}

// A configuration descriptor that lies about its size fails the start and keeps no memory but
// the ring: an endpoint past wTotalLength, one of length zero, wTotalLength below the header.
TEST(DriverPnpStart, HostileConfigurationDescriptorsFailTheStart) {
    for (auto [at, value] : {std::pair{18, 40}, std::pair{18, 0}, std::pair{2, 4}}) {
        DriverHarness h;
        h.kernel.bridge().config_descriptor[at] = static_cast<uint8_t>(value);
        EXPECT_EQ(h.AddAndStart(), kUnsuccessful);
        EXPECT_TRUE(h.kernel.dos_links.empty());
        EXPECT_EQ(h.kernel.live_allocations, 1);
        ExpectNoFaults(h);
    }
}

TEST_F(DriverPnp, CapabilitiesGivePowerDownLevelD2AndRefuseABadRecord) {
    ASSERT_EQ(h.Add(), kSuccess);
    // S1..S3 as D1, D2, D3; unmapped; and D1 last, which wins.
    const std::pair<std::array<uint32_t, 3>, uint32_t> rows[] = {
        {{2, 3, 4}, kPowerD2}, {{0, 0, 0}, kPowerD2}, {{3, 2, 4}, 2}};
    for (const auto& [s, level] : rows) {
        SimRequest* r = h.QueryCapabilities(DriverHarness::Capabilities(s[0], s[1], s[2]));
        EXPECT_EQ(r->status, kSuccess);
        EXPECT_TRUE(LoadLe32(r->capabilities.data() + 4) & (1u << 9));  // surprise removal OK
        EXPECT_EQ(h.ext.power_down_level, level) << s[0] << s[1] << s[2];
    }
    // A record smaller than 64 bytes or of version 0.
    EXPECT_EQ(h.QueryCapabilities({}, 63, 1)->status, kUnsuccessful);
    EXPECT_EQ(h.QueryCapabilities({}, 64, 0)->status, kUnsuccessful);
}

}  // namespace
}  // namespace qmub::sim
