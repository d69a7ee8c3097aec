#include <gtest/gtest.h>

#include "base/le_bytes.h"
#include "fault_file_system.h"
#include "repro/firmware_image.h"
#include "sim/firmware_image_maker.h"

namespace travex::repro {
namespace {

using testing::FaultFileSystem;

class ImageChecks : public ::testing::Test {
protected:
    FaultFileSystem files;
    FlashLayout layout = flash_layout(ReproSettings{});
    Bytes good = sim::make_firmware_image({{0, 1, 2, 30, 60, 61}, 9});

    ImageCheck check(const std::string& path) { return check_firmware_image(files, path, layout); }
    ImageCheck check_named(const std::string& path) {
        files.put(path, good);
        return check(path);
    }
};

TEST_F(ImageChecks, ABadNameIsRefusedBeforeTheContentIsRead) {
    for (const char* name :
         {"rq7310_ver1a1.bin", "rq7310_verabc.bin", "rq7310_ver 12.bin", "rq7310_ver1010.bin",
          "rq7310_ver10.bin", "rq7310_ver101.bin.bak", "x/rq7310_ver101", "rq7310_ver+01.bin"}) {
        files.reads = 0;
        const ImageCheck c = check_named(name);
        EXPECT_FALSE(c.image) << name;
        EXPECT_EQ(c.failure.text, kNotValidText) << name;
        EXPECT_EQ(files.reads, 0) << name;
    }
    // The folder does not count towards the 17 characters.
    EXPECT_TRUE(check_named("a/much/longer/folder/rq7310_ver101.bin").image);
    EXPECT_EQ(image_file_name("a\\b/c.bin"), "c.bin");
}

TEST_F(ImageChecks, TheModelFieldMustReadSevenThreeHundred) {
    for (const char* field : {"7310", "730 ", "\0\0\0\0"}) {
        Bytes image = good;
        std::copy_n(field, 4, image.begin() + kModelFieldOffset);
        files.put("rq7310_ver101.bin", image);
        EXPECT_EQ(check("rq7310_ver101.bin").failure.text, kNotValidText) << field;
    }
    // Too short to hold the field at all.
    files.put("rq7310_ver101.bin", Bytes(kModelFieldOffset + 3, '7'));
    EXPECT_EQ(check("rq7310_ver101.bin").failure.text, kNotValidText);
}

TEST_F(ImageChecks, TheSumCoversSizeBytesIncludingItsOwnField) {
    Bytes image = good;
    image[0xFC100] ^= 0x01;  // past the last page, inside SIZE
    files.put("rq7310_ver101.bin", image);
    ImageCheck c = check("rq7310_ver101.bin");
    EXPECT_EQ(c.failure.text, kCheckSumText);
    EXPECT_EQ(c.failure.icon, MessageIcon::exclamation);
    // Swapping two bytes keeps the sum: the check is a sum, nothing more.
    image = good;
    std::swap(image[10], image[20]);
    files.put("rq7310_ver101.bin", image);
    EXPECT_TRUE(check("rq7310_ver101.bin").image);
    // Bytes after SIZE are not summed.
    image = good;
    image.push_back(0x77);
    files.put("rq7310_ver101.bin", image);
    EXPECT_TRUE(check("rq7310_ver101.bin").image);
    // The stored value is read low byte first.
    image = good;
    const std::uint16_t stored = read_u16le(image, 0xFBFE0);
    EXPECT_EQ(image_sum(image, 0x100000), stored);
}

TEST_F(ImageChecks, AnImageShorterThanTheLayoutNeedsIsNotValid) {
    // Shorter than SIZE.
    Bytes image(good.begin(), good.end() - 1);
    files.put("rq7310_ver101.bin", image);
    EXPECT_EQ(check("rq7310_ver101.bin").failure.text, kNotValidText);
    // SIZE small, but the stored sum lies past the end.
    ReproSettings s;
    s.size = "0x3000";
    s.check_sum_addr = "0x10ffff";
    layout = flash_layout(s);
    files.put("rq7310_ver101.bin", good);
    EXPECT_EQ(check("rq7310_ver101.bin").failure.text, kNotValidText);
    // Everything summed, but the last page would lie past the end.
    s = ReproSettings{};
    s.small_page_end_addr = "0x1000001";
    layout = flash_layout(s);
    EXPECT_EQ(check("rq7310_ver101.bin").failure.text, kNotValidText);
}

TEST(ImageSum, BlocksOfTwoHundredFiftySixGiveThePlainSum) {
    Bytes image(1000);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    std::uint32_t plain = 0;
    for (std::size_t i = 0; i < 777; ++i) {
        plain += image[i];
    }
    EXPECT_EQ(image_sum(image, 777), static_cast<std::uint16_t>(plain));
    EXPECT_EQ(image_sum(image, 0), 0);
    EXPECT_EQ(image_sum(Bytes(0x10000, 0xFF), 0x10000), static_cast<std::uint16_t>(0xFF0000));
}

TEST(SettingsProblems, RefusedBeforeThePortOpens) {
    ReproSettings s;
    EXPECT_FALSE(settings_problem(s));
    s.data_baud_rate = "115200";
    EXPECT_FALSE(settings_problem(s));
    for (const char* rate : {"19200", "", "115200 ", "38400x"}) {
        s.data_baud_rate = rate;
        const auto problem = settings_problem(s);
        ASSERT_TRUE(problem) << rate;
        EXPECT_EQ(problem->text, kBaudRateText);
        EXPECT_EQ(problem->icon, MessageIcon::stop);
    }
    s = ReproSettings{};
    s.enable_data_baud_rate = 0;
    ASSERT_TRUE(settings_problem(s));
    EXPECT_EQ(settings_problem(s)->text, kEnableDataText);
    s = ReproSettings{};
    s.large_page_send_size = "0";
    ASSERT_TRUE(settings_problem(s));
    EXPECT_NE(settings_problem(s)->text.find("LARGE PAGE SEND SIZE is 0"), std::string::npos);
}

}  // namespace
}  // namespace travex::repro
