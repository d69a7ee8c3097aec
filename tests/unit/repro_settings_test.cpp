#include <gtest/gtest.h>

#include "fault_file_system.h"
#include "repro/flash_layout.h"
#include "repro/repro_settings.h"
#include "settings/ini_profile_store.h"

namespace travex::repro {
namespace {

using testing::FaultFileSystem;

constexpr const char* kPath = "C:/z/repro.ini";

class ReproIni : public ::testing::Test {
protected:
    FaultFileSystem files;
    IniProfileStore store{files, kPath};
    std::string text() { return files.text(kPath); }
    void set(std::string_view body) { files.put(kPath, body); }
};

TEST_F(ReproIni, AMissingFileIsCreatedWithEveryDefault) {
    const LoadedReproSettings loaded = load_repro_settings(store);
    EXPECT_EQ(loaded.outcome, LoadOutcome::ok);
    EXPECT_TRUE(loaded.written);
    ASSERT_EQ(files.files.count(kPath), 1u);
    for (const char* line : {"DATA BAUD RATE=38400",
                             "ENABLE DATA BAUD RATE=1",
                             "ENABLE CHAR WAIT=0",
                             "CHAR WAIT=0",
                             "BIN FILE=",
                             "MAJOR=0x33",
                             "MINOR=0x00",
                             "FROM START ADDR=0xf00000",
                             "LARGE PAGE START ADDR=0xf00000",
                             "LARGE PAGE END ADDR=0xff0000",
                             "LARGE PAGE SEND SIZE=0x4000",
                             "SMALL PAGE START ADDR=0xff0000",
                             "SMALL PAGE END ADDR=0xffc000",
                             "SMALL PAGE SEND SIZE=0x2000",
                             "SIZE=0x100000",
                             "WRITE CHECK SUM=1",
                             "CHECK SUM ADDR=0x0fbfe0",
                             "DATA1=0x00",
                             "DATA2=0x00",
                             "MODEL=RQ-7310",
                             "USE MACHINE CODE=1"}) {
        EXPECT_NE(text().find(line), std::string::npos) << line;
    }
    for (const char* section : {"[COMM]", "[FILE]", "[VERSION]", "[FROM]", "[TARGET]"}) {
        EXPECT_NE(text().find(section), std::string::npos) << section;
    }
    // Read again, the file gives the same settings.
    const ReproSettings again = read_repro_settings(store);
    EXPECT_EQ(again.large_page_send_size, "0x4000");
    EXPECT_EQ(again.enable_data_baud_rate, 1);
}

TEST_F(ReproIni, ModelIsIgnoredAndRewrittenAsTheOneTarget) {
    set("[TARGET]\nMODEL=RQ-7100\nDATA1=0x12\n[COMM]\nCHAR WAIT=7\nDATA BAUD RATE=115200\n");
    const LoadedReproSettings loaded = load_repro_settings(store);
    EXPECT_EQ(loaded.outcome, LoadOutcome::ok);
    EXPECT_EQ(store.get_string("TARGET", "MODEL", ""), "RQ-7310");
    EXPECT_EQ(text().find("RQ-7100"), std::string::npos);
    // Everything else the file said is kept; integers go back as decimal text.
    EXPECT_EQ(loaded.settings.data1, "0x12");
    EXPECT_EQ(loaded.settings.char_wait, 7);
    EXPECT_EQ(loaded.settings.data_baud_rate, "115200");
    EXPECT_NE(text().find("CHAR WAIT=7"), std::string::npos);
}

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
    EXPECT_EQ(repro_number(""), 0u);
    EXPECT_EQ(repro_number("0x4000"), 0x4000u);
    EXPECT_EQ(repro_number("0Xff0000"), 0xff0000u);
    EXPECT_EQ(repro_number("0xFfC000"), 0xffc000u);
    EXPECT_EQ(repro_number("16384"), 16384u);
    EXPECT_EQ(repro_number("12abc"), 12u);
    EXPECT_EQ(repro_number("0x1g"), 1u);
    EXPECT_EQ(repro_number("abc"), 0u);
    EXPECT_EQ(repro_number("0x"), 0u);
    EXPECT_EQ(repro_number("-5"), 0u);
    EXPECT_EQ(repro_number("0xFFFFFFFF"), 0xFFFFFFFFu);
    // Too large for 32 bits: the largest value, never a wrapped small one.
    EXPECT_EQ(repro_number("0x100004000"), 0xFFFFFFFFu);
    EXPECT_EQ(repro_number("99999999999999999999999"), 0xFFFFFFFFu);
}

TEST(ReproNumber, OneByteValuesKeepTheirLowByte) {
    ReproSettings s;
    s.major = "0x133";
    s.data1 = "65";
    const FlashLayout layout = flash_layout(s);
    EXPECT_EQ(layout.major, 0x33);
    EXPECT_EQ(layout.data1, 65);
    EXPECT_EQ(layout.minor, 0);
}

}  // namespace
}  // namespace travex::repro
