// The simulated bridge chip's identity and request record, as the Wine test bus presents them
// to the USB serial driver.
#include "tests/windows/bridge_bus/bridge_model.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using bridge_model::parse_usb_ids;

TEST(BridgeModelIds, ReadsWideIdsInAnyCaseAndRefusesOthersWithoutReadingPastTheirEnd) {
    const auto ids = parse_usb_ids(u"USB\\VID_1A2b&PID_00fF");
    EXPECT_TRUE(ids.valid);
    EXPECT_EQ(ids.vendor, 0x1A2B);
    EXPECT_EQ(ids.product, 0x00FF);
    EXPECT_FALSE(parse_usb_ids(static_cast<const char*>(nullptr)).valid);
    for (const std::string text :
         {"", "USB\\VID_12", "USB\\VID_1234&PID_12", "USB\\VID_12345&PID_1234",
          "USB\\VID_12G4&PID_1234", "USB\\PID_1234&VID_1234"}) {
        // An exact-size copy, so that a read past the terminator shows under AddressSanitizer.
        std::vector<char> exact(text.begin(), text.end());
        exact.push_back(0);
        EXPECT_FALSE(parse_usb_ids(exact.data()).valid) << text;
    }
}

TEST(BridgeModelRecord, ALineThatDoesNotFitIsDroppedWholeAndCounted) {
    std::array<char, 19> buffer{};
    buffer[18] = '#';
    bridge_model::Record record(buffer.data(), 18);
    for (const std::uint32_t value : {1, 2, 3}) {  // "a 0x0001\n" is 9 bytes: two fit in 18
        record.begin();
        record.text("a ");
        record.hex(value, 4);
        record.end();
    }
    EXPECT_EQ(record.dropped(), 1u);
    EXPECT_EQ(std::string(buffer.data(), record.size()), "a 0x0001\na 0x0002\n");
    EXPECT_EQ(buffer[18], '#');
}

}  // namespace
