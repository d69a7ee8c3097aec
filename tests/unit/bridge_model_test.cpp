// The simulated bridge chip's identity, descriptors and request record, as the Wine test bus
// presents them to the USB serial driver.
#include "tests/windows/bridge_bus/bridge_model.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using bridge_model::parse_usb_ids;

TEST(BridgeModelIds, ReadsVendorAndProductInAnyCaseWithOrWithoutSuffix) {
    auto ids = parse_usb_ids("USB\\VID_1A2b&PID_00fF");
    EXPECT_TRUE(ids.valid);
    EXPECT_EQ(ids.vendor, 0x1A2B);
    EXPECT_EQ(ids.product, 0x00FF);
    // The kernel side passes UTF-16 text.
    const char16_t wide[] = u"USB\\VID_1209&PID_0001";
    ids = parse_usb_ids(wide);
    EXPECT_TRUE(ids.valid);
    EXPECT_EQ(ids.vendor, 0x1209);
    EXPECT_EQ(ids.product, 0x0001);
}

TEST(BridgeModelIds, RefusesWhatIsNotAUsbHardwareIdWithoutReadingPastItsEnd) {
    EXPECT_FALSE(parse_usb_ids(static_cast<const char*>(nullptr)).valid);
    for (const std::string text :
         {"", "USB", "USB\\VID_", "USB\\VID_12", "USB\\VID_1234", "USB\\VID_1234&PID_12",
          "USB\\VID_12345&PID_1234", "USB\\VID_12G4&PID_1234", "ROOT\\VID_1234&PID_1234",
          "USB\\PID_1234&VID_1234", "USB/VID_1234&PID_1234"}) {
        // An exact-size copy, so that a read past the terminator shows under AddressSanitizer.
        std::vector<char> exact(text.begin(), text.end());
        exact.push_back(0);
        EXPECT_FALSE(parse_usb_ids(exact.data()).valid) << text;
    }
}

void line_of(bridge_model::Record& record, const char* text, uint32_t value) {
    record.begin();
    record.text(text);
    record.hex(value, 4);
    record.end();
}

TEST(BridgeModelRecord, ALineThatDoesNotFitIsDroppedWholeAndCounted) {
    // "a 0x0001\n" is 9 bytes: two lines fit exactly in 18, the third does not.
    std::array<char, 19> buffer{};
    buffer[18] = '#';
    bridge_model::Record record(buffer.data(), 18);
    line_of(record, "a ", 1);
    line_of(record, "a ", 2);
    EXPECT_EQ(record.size(), 18u);
    line_of(record, "a ", 3);
    line_of(record, "", 4);
    EXPECT_EQ(record.size(), 18u);
    EXPECT_EQ(record.dropped(), 2u);
    EXPECT_EQ(std::string(buffer.data(), record.size()), "a 0x0001\na 0x0002\n");
    EXPECT_EQ(buffer[18], '#');  // nothing written past the capacity
}

}  // namespace
