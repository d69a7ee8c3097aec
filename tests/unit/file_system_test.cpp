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
