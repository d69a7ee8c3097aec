#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_system.h"
#include "base/le_bytes.h"

namespace travex {
namespace {

namespace fs = std::filesystem;

TEST(RealFileSystem, AtomicWritesReplaceWholeAndAFailureKeepsTheOldFile) {
    const fs::path dir = fs::temp_directory_path() / "travex-real-file-system-test";
    fs::remove_all(dir);
    fs::create_directories(dir / "sub" / "x");
    auto path = [&](const char* name) { return (dir / name).string(); };
    FileSystem& files = real_file_system();
    const Bytes bytes = {0x00, 0xFF, 0x0D, 0x0A, 0x1A};
    ASSERT_EQ(write_file_atomic(files, path("a"), Bytes(1000, 1)), WriteResult::written);
    ASSERT_EQ(write_file_atomic(files, path("a"), bytes), WriteResult::written);
    EXPECT_EQ(files.read_file(path("a")), bytes);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 2);
    EXPECT_TRUE(files.exists(path("a")));
    EXPECT_FALSE(files.exists(path("none")));
    EXPECT_FALSE(files.exists(dir.string()));
    EXPECT_FALSE(files.read_file(path("none")).has_value());
    EXPECT_TRUE(files.free_space(path("not-yet-there")).has_value());
    // A folder in the way of the target, or a missing folder: the write fails, "a" stays.
    EXPECT_EQ(write_file_atomic(files, path("sub"), Bytes{9}), WriteResult::failed);
    EXPECT_EQ(write_file_atomic(files, path("missing/f"), Bytes{9}), WriteResult::failed);
    EXPECT_EQ(files.read_file(path("a")), bytes);
    fs::remove_all(dir);
}

TEST(RealFileSystem, CappedReadsRefuseWhatExceedsTheCapWithoutReadingItWhole) {
    const fs::path dir = fs::temp_directory_path() / "travex-capped-read-test";
    fs::remove_all(dir);
    fs::create_directories(dir / "folder");
    auto path = [&](const char* name) { return (dir / name).string(); };
    FileSystem& files = real_file_system();
    ASSERT_EQ(write_file_atomic(files, path("a"), Bytes(100, 7)), WriteResult::written);
    // At the cap the file is read; one byte beyond, it is refused as too large.
    EXPECT_EQ(files.read_file_capped(path("a"), 100).bytes, Bytes(100, 7));
    const CappedRead over = files.read_file_capped(path("a"), 99);
    EXPECT_TRUE(over.too_large);
    EXPECT_FALSE(over.bytes);
    // A sparse file far beyond the cap is refused by its size, before any reading.
    fs::resize_file(path("a"), std::uintmax_t{1} << 40);
    EXPECT_TRUE(files.read_file_capped(path("a"), 1000).too_large);
    // A device without end is read only up to the cap.
    if (fs::exists("/dev/zero")) {
        EXPECT_TRUE(files.read_file_capped("/dev/zero", 1 << 20).too_large);
    }
    // Missing files and folders are not too large: they cannot be read.
    for (const char* name : {"none", "folder"}) {
        const CappedRead read = files.read_file_capped(path(name), 1000);
        EXPECT_FALSE(read.bytes) << name;
        EXPECT_FALSE(read.too_large) << name;
    }
    fs::remove_all(dir);
}

TEST(LittleEndian, FieldsRoundTripAtTheirEdges) {
    Bytes buffer(8, 0);
    write_u32le(buffer, 1, 0xFFFFFFFEu);
    EXPECT_EQ(read_u32le(buffer, 1), 0xFFFFFFFEu);
    EXPECT_EQ(buffer[1], 0xFE);
    write_u16le(buffer, 6, 0x1234);
    EXPECT_EQ(buffer[6], 0x34);
    EXPECT_EQ(read_u16le(buffer, 6), 0x1234);
}

}  // namespace
}  // namespace travex
