#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_system.h"
#include "tests/unit/fault_file_system.h"
#include "tests/unit/test_bytes.h"

namespace travex {
namespace {

namespace fs = std::filesystem;

TEST(RealFileSystem, AtomicWritesReplaceWholeAndAFailureKeepsTheOldFile) {
    const fs::path dir = fs::temp_directory_path() / "travex-real-file-system-test";
    fs::remove_all(dir);
    fs::create_directories(dir / "sub" / "x");
    auto path = [&](const char* name) { return (dir / name).string(); };
    FileSystem& files = real_file_system();
    const Bytes bytes(100, 7);
    ASSERT_EQ(write_file_atomic(files, path("a"), Bytes(1000, 1)), WriteResult::written);
    ASSERT_EQ(write_file_atomic(files, path("a"), bytes), WriteResult::written);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 2);
    // A folder in the way of the target, or a missing folder: the write fails, "a" stays.
    EXPECT_EQ(write_file_atomic(files, path("sub"), Bytes{9}), WriteResult::failed);
    EXPECT_EQ(write_file_atomic(files, path("missing/f"), Bytes{9}), WriteResult::failed);
    EXPECT_EQ(files.read_file(path("a")), bytes);
    fs::remove_all(dir);
}

// The atomic write in pieces: a volume one byte short of the file keeps the old file; exactly
// enough room takes the file in whole pieces.
TEST(AtomicWrite, OneByteShortKeepsTheOldFileAndExactRoomWritesIt) {
    constexpr std::size_t size = FileSystem::kWriteChunk + 1;
    const Bytes fresh = testing::pattern(size, 1);
    testing::FaultFileSystem files;
    files.put("d/f", Bytes{1, 2, 3});
    files.fail_after_bytes = size - 1;
    EXPECT_EQ(write_file_atomic(files, "d/f", fresh), WriteResult::failed);
    EXPECT_EQ(files.files["d/f"], (Bytes{1, 2, 3}));
    EXPECT_FALSE(files.temp_left());
    files.bytes_written = 0;
    files.write_calls = 0;
    files.fail_after_bytes = size;
    EXPECT_EQ(write_file_atomic(files, "d/f", fresh), WriteResult::written);
    EXPECT_EQ(files.files["d/f"], fresh);
    EXPECT_EQ(files.write_calls, 2);
}

}  // namespace
}  // namespace travex
