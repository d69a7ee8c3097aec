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
    ids = parse_usb_ids("usb\\vid_FFFF&pid_0000&REV_0100");
    EXPECT_TRUE(ids.valid);
    EXPECT_EQ(ids.vendor, 0xFFFF);
    EXPECT_EQ(ids.product, 0x0000);
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

TEST(BridgeModelDescriptors, DeviceDescriptorCarriesTheIdsLittleEndian) {
    std::array<uint8_t, bridge_model::kDeviceDescriptorSize> bytes{};
    bridge_model::device_descriptor({0x1234, 0xABCD, true}, bytes.data());
    EXPECT_EQ(bytes[0], 18);  // bLength
    EXPECT_EQ(bytes[1], 1);   // device
    EXPECT_EQ(bytes[7], 64);  // control pipe packet size
    EXPECT_EQ(bytes[8], 0x34);
    EXPECT_EQ(bytes[9], 0x12);
    EXPECT_EQ(bytes[10], 0xCD);
    EXPECT_EQ(bytes[11], 0xAB);
    EXPECT_EQ(bytes[17], 1);  // one configuration
}

TEST(BridgeModelDescriptors, ConfigurationHoldsOneInterfaceWithBulkInThenBulkOut) {
    std::array<uint8_t, bridge_model::kConfigurationSize> bytes{};
    bridge_model::configuration_descriptor(bytes.data());
    EXPECT_EQ(bytes[2] | (bytes[3] << 8), static_cast<int>(bridge_model::kConfigurationSize));
    EXPECT_EQ(bytes[4], 1);         // bNumInterfaces
    EXPECT_EQ(bytes[7] & 0x20, 0);  // no remote wakeup
    // Walk the descriptors by their own lengths, as a driver's parser does.
    std::vector<uint8_t> endpoints;
    int interfaces = 0;
    size_t at = 0;
    while (at < bytes.size()) {
        ASSERT_GE(bytes[at], 2u);
        ASSERT_LE(at + bytes[at], bytes.size());
        if (bytes[at + 1] == 4) {
            ++interfaces;
            EXPECT_EQ(bytes[at + 4], 2);  // bNumEndpoints
        }
        if (bytes[at + 1] == 5) {
            endpoints.push_back(bytes[at + 2]);
            EXPECT_EQ(bytes[at + 3], 2);  // bulk
            EXPECT_EQ(bytes[at + 4] | (bytes[at + 5] << 8), bridge_model::kPacketSize);
        }
        at += bytes[at];
    }
    EXPECT_EQ(at, bytes.size());
    EXPECT_EQ(interfaces, 1);
    EXPECT_EQ(endpoints, (std::vector<uint8_t>{0x81, 0x02}));
}

void line_of(bridge_model::Record& record, const char* text, uint32_t value) {
    record.begin();
    record.text(text);
    record.hex(value, 4);
    record.end();
}

TEST(BridgeModelRecord, FormatsHexBareHexAndNumbers) {
    std::array<char, 64> buffer{};
    bridge_model::Record record(buffer.data(), buffer.size());
    record.begin();
    record.hex(0x0709, 4);
    record.text(" ");
    record.hex(0xABC, 4, true);
    record.text(" ");
    record.number(0);
    record.text(" ");
    record.number(4294967295u);
    record.end();
    EXPECT_EQ(std::string(buffer.data(), record.size()), "0x0709 0abc 0 4294967295\n");
    EXPECT_EQ(record.dropped(), 0u);
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

TEST(BridgeModelRecord, ALongLineInAnEmptyRecordIsDroppedAndLaterShortOnesStillFit) {
    std::array<char, 8> buffer{};
    bridge_model::Record record(buffer.data(), buffer.size());
    record.begin();
    record.text("much longer than eight");
    record.end();
    EXPECT_EQ(record.size(), 0u);
    EXPECT_EQ(record.dropped(), 1u);
    record.begin();
    record.text("ok");
    record.end();
    EXPECT_EQ(std::string(buffer.data(), record.size()), "ok\n");
}

}  // namespace
