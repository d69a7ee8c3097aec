
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "base/le_bytes.h"
#include "fault_file_system.h"
#include "repro/firmware_image.h"
#include "repro/flash_layout.h"
#include "repro/repro_packets.h"
#include "repro/repro_settings.h"
#include "settings/ini_profile_store.h"
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

// The content checks: the model field, the sum over SIZE bytes (its own field included, read
// low byte first) and the length the layout needs. An empty text means the image is taken.
TEST_F(ImageChecks, ModelFieldSumAndLengthDecide) {
    const auto field = [](const char* text) {
        return [text](Bytes& b) { std::copy_n(text, 4, b.begin() + kModelFieldOffset); };
    };
    using Change = std::function<void(Bytes&)>;
    const auto settings = [](const char* size, const char* sum_addr, const char* page_end) {
        ReproSettings s;
        s.size = size ? size : s.size;
        s.check_sum_addr = sum_addr ? sum_addr : s.check_sum_addr;
        s.small_page_end_addr = page_end ? page_end : s.small_page_end_addr;
        return s;
    };
    struct Case {
        const char* what;
        Change change;
        ReproSettings repro;
        std::string_view text;
    };
    const Case cases[] = {
        {"model 7310", field("7310"), {}, kNotValidText},
        {"model 730 ", field("730 "), {}, kNotValidText},
        {"model zeros", field("\0\0\0\0"), {}, kNotValidText},
        {"too short for the field",
         [](Bytes& b) { b.assign(kModelFieldOffset + 3, '7'); },
         {},
         kNotValidText},
        {"byte past the last page, inside SIZE",
         [](Bytes& b) { b[0xFC100] ^= 1; },
         {},
         kCheckSumText},
        {"two bytes swapped keep the sum", [](Bytes& b) { std::swap(b[10], b[20]); }, {}, ""},
        {"bytes after SIZE are not summed", [](Bytes& b) { b.push_back(0x77); }, {}, ""},
        {"shorter than SIZE", [](Bytes& b) { b.pop_back(); }, {}, kNotValidText},
        {"stored sum past the end", [](Bytes&) {}, settings("0x3000", "0x10ffff", nullptr),
         kNotValidText},
        {"last page past the end", [](Bytes&) {}, settings(nullptr, nullptr, "0x1000001"),
         kNotValidText},
    };
    for (const auto& [what, change, repro, text] : cases) {
        Bytes image = good;
        change(image);
        files.put("rq7310_ver101.bin", image);
        layout = flash_layout(repro);
        const ImageCheck c = check("rq7310_ver101.bin");
        EXPECT_EQ(c.image.has_value(), text.empty()) << what;
        EXPECT_EQ(c.failure.text, text) << what;
        EXPECT_TRUE(text != kCheckSumText || c.failure.icon == MessageIcon::exclamation);
    }
    EXPECT_EQ(image_sum(good, 0x100000), read_u16le(good, 0xFBFE0));
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

FlashLayout layout_of(void (*change)(ReproSettings&)) {
    ReproSettings s;
    change(s);
    return flash_layout(s);
}

TEST(FlashLayout, BlankPagesAreLeftOutWhereverTheyLie) {
    const FlashLayout layout = flash_layout(ReproSettings{});
    Bytes image(0x100000, 0xFF);
    image[0x4000 * 3 + 100] = 0x00;               // large page 3
    image[0xF0000 + 0x2000 * 5 + 0x1FFF] = 0xFE;  // last byte of small page 5
    const auto pages = plan_pages(layout, image);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].address, 0xF0C000u);
    EXPECT_EQ(pages[1].address, 0xFFA000u);
    image.assign(image.size(), 0xFF);
    EXPECT_TRUE(plan_pages(layout, image).empty());
}

TEST(FlashLayout, AnAreaThatIsNoMultipleOfItsSizeNeedsTheWholeLastPage) {
    const FlashLayout layout = layout_of([](ReproSettings& s) {
        s.small_page_end_addr = std::string("0xffc001");  // one byte into a seventh page
    });
    EXPECT_FALSE(layout_problem(layout));
    EXPECT_EQ(image_length_needed(layout), 0x100000u);
    const FlashLayout longer = layout_of([](ReproSettings& s) {
        s.small_page_end_addr = std::string("0x1000001");  // nine pages of 0x2000
        s.size = std::string("0x1000");
        s.check_sum_addr = std::string("0x10");
    });
    EXPECT_EQ(image_length_needed(longer), 0x102000u);
}

TEST(FlashLayout, SettingsThatWouldLeaveTheImageOrTheBufferAreRefused) {
    const struct {
        void (*change)(ReproSettings&);
        const char* words;
    } cases[] = {
        {[](ReproSettings& s) { s.large_page_end_addr = std::string("0xe00000"); },
         "below LARGE PAGE START"},
        {[](ReproSettings& s) { s.small_page_send_size = std::string("0"); },
         "SMALL PAGE SEND SIZE is 0"},
        {[](ReproSettings& s) { s.small_page_send_size = std::string("abc"); },
         "SMALL PAGE SEND SIZE is 0"},
        {[](ReproSettings& s) { s.large_page_send_size = std::string("0x4001"); }, "over 16384"},
        // 0x10000 would be 0 in a 16-bit field: refused, not truncated.
        {[](ReproSettings& s) { s.large_page_send_size = std::string("0x10000"); }, "over 16384"},
        {[](ReproSettings& s) { s.large_page_send_size = std::string("0x100004000"); },
         "over 16384"},
        {[](ReproSettings& s) {
             s.small_page_start_addr = std::string("0xffb000");
             s.small_page_send_size = std::string("0x2000");
         },
         "larger than its area"},
        {[](ReproSettings& s) { s.from_start_addr = std::string("0xf00001"); },
         "below FROM START ADDR"},
        {[](ReproSettings& s) { s.small_page_start_addr = std::string("0x100"); },
         "below FROM START ADDR"},
    };
    for (const auto& c : cases) {
        const auto problem = layout_problem(layout_of(c.change));
        ASSERT_TRUE(problem) << c.words;
        EXPECT_NE(problem->find(c.words), std::string::npos) << *problem;
        // Such a layout plans nothing at all.
        EXPECT_TRUE(plan_pages(layout_of(c.change), Bytes(0x200000, 0)).empty()) << c.words;
    }
}

TEST(FlashLayout, AnEmptyAreaIsAllowedAndPlansNoPages) {
    const FlashLayout layout = layout_of([](ReproSettings& s) {
        s.small_page_start_addr = std::string("0xff0000");
        s.small_page_end_addr = std::string("0xff0000");
    });
    EXPECT_FALSE(layout_problem(layout));
    EXPECT_EQ(plan_pages(layout, Bytes(0x100000, 0)).size(), 60u);
}

TEST(FlashLayout, TheProgressStepNeverDividesByNothing) {
    for (const auto& [end, step] : {std::pair{"0xf00000", 0}, {"0x0", 0}, {"0xf00001", 10000}}) {
        ReproSettings s;
        s.small_page_end_addr = end;
        EXPECT_EQ(progress_step(flash_layout(s)), step) << end;
    }
}

constexpr const char* kPath = "C:/z/repro.ini";

class ReproIni : public ::testing::Test {
protected:
    FaultFileSystem files;
    IniProfileStore store{files, kPath};
    std::string text() { return files.text(kPath); }
    void set(std::string_view body) { files.put(kPath, body); }
};

TEST_F(ReproIni, AnEmptyLayoutValueIsInitErrButTheFileIsStillWritten) {
    for (const char* key :
         {"FROM START ADDR", "LARGE PAGE START ADDR", "LARGE PAGE END ADDR", "LARGE PAGE SEND SIZE",
          "SMALL PAGE START ADDR", "SMALL PAGE END ADDR", "SMALL PAGE SEND SIZE"}) {
        files.files.clear();
        set(std::string("[FROM]\n") + key + "=\n");
        const LoadedReproSettings loaded = load_repro_settings(store);
        EXPECT_EQ(loaded.outcome, LoadOutcome::missing_layout_value) << key;
        EXPECT_EQ(store.get_string("FROM", key, "absent"), "") << key;
    }
    // SIZE and CHECK SUM ADDR are not among the seven.
    files.files.clear();
    set("[FROM]\nSIZE=\nCHECK SUM ADDR=\n");
    EXPECT_EQ(load_repro_settings(store).outcome, LoadOutcome::ok);
}

TEST_F(ReproIni, AFailedWriteIsReportedAndTheValuesStillServe) {
    files.fail_writes = true;
    const LoadedReproSettings loaded = load_repro_settings(store);
    EXPECT_FALSE(loaded.written);
    EXPECT_EQ(loaded.outcome, LoadOutcome::ok);
    EXPECT_EQ(loaded.settings.small_page_send_size, "0x2000");
}

TEST(ReproNumber, ConvertsTextTheWayTheLayoutIsWritten) {
    // Too large for 32 bits: the largest value, never a wrapped small one.
    // clang-format off
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"", 0}, {"0Xff0000", 0xff0000}, {"16384", 16384}, {"12abc", 12}, {"0x1g", 1}, {"abc", 0},
        {"0x", 0}, {"-5", 0}, {"0xFFFFFFFF", 0xFFFFFFFF}, {"0x100004000", 0xFFFFFFFF},
        {"99999999999999999999999", 0xFFFFFFFF}};
    // clang-format on
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(repro_number(text), value) << text;
    }
}

TEST(ReproPackets, CommandPacketsCarryTheirSumLowByteFirst) {
    EXPECT_EQ(command_packet(kCommandHello), (Bytes{0x31, 0x31, 0x42, 0xA4, 0x00}));
    EXPECT_EQ(command_packet(kCommandVersion), (Bytes{0x31, 0x31, 0x74, 0xD6, 0x00}));
    EXPECT_EQ(command_packet(kCommandUpdate), (Bytes{0x31, 0x31, 0x73, 0xD5, 0x00}));
    EXPECT_EQ(command_packet(kCommandGoodbye), (Bytes{0x31, 0x31, 0x41, 0xA3, 0x00}));
}

TEST(ReproPackets, DataPacketsAreAddressLengthDataSum) {
    const Bytes data{0x01, 0x02, 0xFF};
    EXPECT_EQ(data_packet(0xF04000, data),
              (Bytes{0x00, 0x40, 0xF0, 0x00, 0x03, 0x00, 0x01, 0x02, 0xFF, 0x35, 0x02}));
    EXPECT_EQ(end_marker_packet(), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFC, 0x03}));
    // A full page: the sum wraps at 16 bits.
    const Bytes page(16384, 0xEE);
    const Bytes packet = data_packet(0xF00000, page);
    ASSERT_EQ(packet.size(), 16384u + 8u);
    EXPECT_EQ(packet[4], 0x00);
    EXPECT_EQ(packet[5], 0x40);
    EXPECT_TRUE(sum_le_matches(packet));
}

TEST(ReproPackets, AcknowledgementsAreCheckedWhole) {
    const auto summed = [](Bytes b) {
        append_sum_le(b);
        return b;
    };
    const Bytes ack = summed({'7', '5', 0x01});
    EXPECT_TRUE(is_acknowledgement(ack));
    EXPECT_FALSE(is_acknowledgement(summed({'7', '4', 0x01})));           // another model
    EXPECT_FALSE(is_acknowledgement(summed({'7', '5', 0x81})));           // a NAK
    EXPECT_FALSE(is_acknowledgement(Bytes{'7', '5', 0x01, 0x00, 0x6D}));  // sum high byte first
    EXPECT_FALSE(is_acknowledgement(std::span(ack).first(4)));
}

}  // namespace
}  // namespace travex::repro
