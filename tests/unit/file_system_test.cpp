#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_system.h"
#include "base/le_bytes.h"

namespace travex {
namespace {

namespace fs = std::filesystem;

class RealFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("travex-fs-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
    FileSystem& files_ = real_file_system();
};

TEST_F(RealFileSystemTest, WritesReplaceWholeAndLeaveNoTemporaryFile) {
    const Bytes bytes = {0x00, 0xFF, 0x0D, 0x0A, 0x1A};
    ASSERT_EQ(write_file_atomic(files_, path("a"), Bytes(1000, 1)), WriteResult::written);
    ASSERT_EQ(write_file_atomic(files_, path("a"), bytes), WriteResult::written);
    EXPECT_EQ(files_.read_file(path("a")), bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
    EXPECT_TRUE(files_.exists(path("a")));
    EXPECT_FALSE(files_.exists(path("none")));
    EXPECT_FALSE(files_.exists(dir_.string()));
    EXPECT_FALSE(files_.read_file(path("none")).has_value());
    EXPECT_TRUE(files_.free_space(path("not-yet-there")).has_value());
}

TEST_F(RealFileSystemTest, FailedWriteKeepsTheOldFile) {
    ASSERT_EQ(write_file_atomic(files_, path("keep"), Bytes{1, 2, 3}), WriteResult::written);
    // A folder in the way of the target cannot be replaced by a file.
    fs::create_directories(dir_ / "sub" / "x");
    EXPECT_EQ(write_file_atomic(files_, path("sub"), Bytes{9}), WriteResult::failed);
    EXPECT_EQ(write_file_atomic(files_, (dir_ / "missing" / "f").string(), Bytes{9}),
              WriteResult::failed);
    EXPECT_EQ(files_.read_file(path("keep")), (Bytes{1, 2, 3}));
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
