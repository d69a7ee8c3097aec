#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_system.h"
#include "base/le_bytes.h"
#include "tests/unit/fault_file_system.h"

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

// The atomic write in pieces: every write call and every byte count at which the volume can fail,
// around the piece boundaries, leaves the old file and no temporary file behind.
TEST(AtomicWrite, AFailureAtAnyPieceOrByteKeepsTheOldFile) {
    constexpr std::size_t chunk = FileSystem::kWriteChunk;
    const Bytes old = {1, 2, 3};
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, chunk - 1, chunk, chunk + 1, 3 * chunk}) {
        Bytes fresh(size);
        for (std::size_t i = 0; i < size; ++i) {
            fresh[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        const int calls = static_cast<int>((size + chunk - 1) / chunk);
        const auto expect_kept = [&](testing::FaultFileSystem& files, const std::string& what) {
            EXPECT_EQ(write_file_atomic(files, "d/f", fresh), WriteResult::failed) << what;
            EXPECT_EQ(files.files["d/f"], old) << what;
            EXPECT_TRUE(files.temp_files().empty()) << what;
            EXPECT_EQ(files.files.size(), 1u) << what;
            files.clear_faults();
            EXPECT_EQ(write_file_atomic(files, "d/f", fresh), WriteResult::written) << what;
            EXPECT_EQ(files.files["d/f"], fresh) << what;
            EXPECT_TRUE(files.temp_files().empty()) << what;
        };
        for (int call = 1; call <= calls; ++call) {
            testing::FaultFileSystem files;
            files.put("d/f", old);
            files.fail_write_call = call;
            expect_kept(files, std::to_string(size) + " bytes, call " + std::to_string(call));
        }
        for (const std::size_t room : {std::size_t{0}, chunk - 1, chunk, chunk + 1, size - 1}) {
            if (room >= size) {
                continue;
            }
            testing::FaultFileSystem files;
            files.put("d/f", old);
            files.fail_after_bytes = room;
            expect_kept(files, std::to_string(size) + " bytes, room for " + std::to_string(room));
        }
        // With exactly enough room the write succeeds.
        testing::FaultFileSystem files;
        files.put("d/f", old);
        files.fail_after_bytes = size;
        EXPECT_EQ(write_file_atomic(files, "d/f", fresh), WriteResult::written) << size;
        EXPECT_EQ(files.write_calls, calls) << size;
    }
    // A name without a file part is never written.
    testing::FaultFileSystem files;
    for (const char* path : {"", "d/"}) {
        EXPECT_EQ(write_file_atomic(files, path, Bytes{1}), WriteResult::failed) << path;
    }
    EXPECT_TRUE(files.write_attempts.empty());
}

}  // namespace
}  // namespace travex
