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
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"", 0},
        {"0Xff0000", 0xff0000},
        {"16384", 16384},
        {"12abc", 12},
        {"0x1g", 1},
        {"abc", 0},
        {"0x", 0},
        {"-5", 0},
        {"0xFFFFFFFF", 0xFFFFFFFF},
        // Too large for 32 bits: the largest value, never a wrapped small one.
        {"0x100004000", 0xFFFFFFFF},
        {"99999999999999999999999", 0xFFFFFFFF}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(repro_number(text), value) << text;
    }
}

}  // namespace
}  // namespace travex::repro
