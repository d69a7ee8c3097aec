
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

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
    for (const char* name : {"rq7310_ver1a1.bin", "rq7310_ver 12.bin", "rq7310_ver1010.bin",
                             "rq7310_ver10.bin", "rq7310_ver101.bin.bak", "rq7310_ver+01.bin"}) {
        files.reads = 0;
        const ImageCheck c = check_named(name);
        EXPECT_FALSE(c.image) << name;
        EXPECT_EQ(c.failure.text, kNotValidText) << name;
        EXPECT_EQ(files.reads, 0) << name;
    }
    // The folder does not count towards the 17 characters.
    EXPECT_TRUE(check_named("a/much/longer\\folder/rq7310_ver101.bin").image);
}

using Setting = std::pair<std::string ReproSettings::*, const char*>;

ReproSettings with(std::initializer_list<Setting> changes) {
    ReproSettings s;
    for (const auto& [field, value] : changes) {
        s.*field = value;
    }
    return s;
}

// The content checks: the model field, the sum over SIZE bytes (its own field included, read
// low byte first) and the length the layout needs. An empty text means the image is taken.
TEST_F(ImageChecks, ModelFieldSumAndLengthDecide) {
    const std::tuple<const char*, std::function<void(Bytes&)>, ReproSettings, std::string_view>
        cases[] = {
            {"model", [](Bytes& b) { b[kModelFieldOffset + 3] = '1'; }, {}, kNotValidText},
            {"too short for the field",
             [](Bytes& b) { b.resize(kModelFieldOffset + 3); },
             {},
             kNotValidText},
            {"past the last page, inside SIZE",
             [](Bytes& b) { b[0xFC100] ^= 1; },
             {},
             kCheckSumText},
            {"after SIZE", [](Bytes& b) { b.push_back(0x77); }, {}, ""},
            {"shorter than SIZE", [](Bytes& b) { b.pop_back(); }, {}, kNotValidText},
            {"stored sum past the end", [](Bytes&) {},
             with({{&ReproSettings::size, "0x3000"}, {&ReproSettings::check_sum_addr, "0x10ffff"}}),
             kNotValidText},
            {"last page past the end", [](Bytes&) {},
             with({{&ReproSettings::small_page_end_addr, "0x1000001"}}), kNotValidText},
        };
    for (const auto& [what, change, repro, text] : cases) {
        Bytes image = good;
        change(image);
        files.put("rq7310_ver101.bin", image);
        layout = flash_layout(repro);
        const ImageCheck c = check("rq7310_ver101.bin");
        EXPECT_EQ(c.image.has_value(), text.empty()) << what;
        EXPECT_EQ(c.failure.text, text) << what;
    }
}

TEST(FlashLayout, BlankPagesAreLeftOutWhereverTheyLie) {
    Bytes image(0x100000, 0xFF);
    image[0x4000 * 3 + 100] = 0x00;               // large page 3
    image[0xF0000 + 0x2000 * 5 + 0x1FFF] = 0xFE;  // last byte of small page 5
    const auto pages = plan_pages(flash_layout(ReproSettings{}), image);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].address, 0xF0C000u);
    EXPECT_EQ(pages[1].address, 0xFFA000u);
    // One byte into a seventh small page needs the whole page.
    const auto longer = flash_layout(with({{&ReproSettings::small_page_end_addr, "0xffc001"}}));
    EXPECT_EQ(image_length_needed(longer), 0x100000u);
}

// Settings that would leave the image or the buffer are refused, and such a layout plans
// nothing; an empty area is allowed; the progress step never divides by nothing.
TEST(FlashLayout, SettingsThatWouldLeaveTheImageOrTheBufferAreRefused) {
    const std::pair<Setting, const char*> cases[] = {
        {{&ReproSettings::large_page_end_addr, "0xe00000"}, "below LARGE PAGE START"},
        {{&ReproSettings::small_page_send_size, "0"}, "SMALL PAGE SEND SIZE is 0"},
        {{&ReproSettings::large_page_send_size, "0x4001"}, "over 16384"},
        // 0x10000 would be 0 in a 16-bit field: refused, not truncated.
        {{&ReproSettings::large_page_send_size, "0x10000"}, "over 16384"},
        {{&ReproSettings::small_page_start_addr, "0xffb000"}, "larger than its area"},
        {{&ReproSettings::small_page_start_addr, "0x100"}, "below FROM START ADDR"},
    };
    for (const auto& [setting, words] : cases) {
        const FlashLayout layout = flash_layout(with({setting}));
        EXPECT_NE(layout_problem(layout).value_or("").find(words), std::string::npos) << words;
        EXPECT_TRUE(plan_pages(layout, Bytes(0x200000, 0)).empty()) << words;
    }
    const FlashLayout empty_area =
        flash_layout(with({{&ReproSettings::small_page_start_addr, "0xff0000"},
                           {&ReproSettings::small_page_end_addr, "0xff0000"}}));
    EXPECT_FALSE(layout_problem(empty_area));
    EXPECT_EQ(plan_pages(empty_area, Bytes(0x100000, 0)).size(), 60u);
    for (const auto& [end, step] : {std::pair{"0xf00000", 0}, {"0x0", 0}, {"0xf00001", 10000}}) {
        EXPECT_EQ(progress_step(flash_layout(with({{&ReproSettings::small_page_end_addr, end}}))),
                  step)
            << end;
    }
}

constexpr const char* kPath = "C:/z/repro.ini";

TEST(ReproIni, AnEmptyLayoutValueIsInitErrAndAFailedWriteStillServesTheValues) {
    FaultFileSystem files;
    IniProfileStore store{files, kPath};
    for (const char* key : {"FROM START ADDR", "SMALL PAGE SEND SIZE"}) {
        files.put(kPath, std::string("[FROM]\n") + key + "=\n");
        EXPECT_EQ(load_repro_settings(store).outcome, LoadOutcome::missing_layout_value) << key;
    }
    // SIZE and CHECK SUM ADDR are not among the seven.
    files.put(kPath, "[FROM]\nSIZE=\nCHECK SUM ADDR=\n");
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
        {"", 0}, {"0Xff0000", 0xff0000}, {"16384", 16384}, {"12abc", 12}, {"0x", 0}, {"-5", 0},
        {"0xFFFFFFFF", 0xFFFFFFFF}, {"0x100004000", 0xFFFFFFFF},
        {"99999999999999999999999", 0xFFFFFFFF}};
    // clang-format on
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(repro_number(text), value) << text;
    }
}

TEST(ReproPackets, PacketsCarryTheirSumLowByteFirst) {
    EXPECT_EQ(command_packet(kCommandHello), (Bytes{0x31, 0x31, 0x42, 0xA4, 0x00}));
    EXPECT_EQ(data_packet(0xF04000, Bytes{0x01, 0x02, 0xFF}),
              (Bytes{0x00, 0x40, 0xF0, 0x00, 0x03, 0x00, 0x01, 0x02, 0xFF, 0x35, 0x02}));
    EXPECT_EQ(end_marker_packet(), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFC, 0x03}));
    const Bytes packet = data_packet(0xF00000, Bytes(16384, 0xEE));  // the sum wraps at 16 bits
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
    EXPECT_FALSE(is_acknowledgement(summed({'7', '5', 0x81})));           // a NAK
    EXPECT_FALSE(is_acknowledgement(Bytes{'7', '5', 0x01, 0x00, 0x6D}));  // sum high byte first
    EXPECT_FALSE(is_acknowledgement(std::span(ack).first(4)));
}

}  // namespace
}  // namespace travex::repro
