// The wire trace a user attaches after a transfer went wrong, perhaps one that ended with the
// program: every line is in the file as soon as it is written, not when it closes.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "link/trace_file.h"

namespace travex {
namespace {

TEST(LinkTrace, TraceFileHoldsEachLineAtOnceAndRefusesAPathItCannotWrite) {
    const std::string path = ::testing::TempDir() + "travex_trace_file_test.txt";
    {
        auto file = link::TraceFile::create(path);
        ASSERT_TRUE(file);
        file->write_line("000000001 : open 1 ok");
        file->write_line("000000002 > 31 31 41 00 A3  | step 0 send 41");
        std::ifstream in(path);
        std::string first;
        std::string second;
        std::getline(in, first);
        std::getline(in, second);
        EXPECT_EQ(first, "000000001 : open 1 ok");
        EXPECT_EQ(second, "000000002 > 31 31 41 00 A3  | step 0 send 41");
    }
    // A new run of the program starts the file afresh.
    {
        auto file = link::TraceFile::create(path);
        ASSERT_TRUE(file);
        file->write_line("x");
    }
    std::ifstream again(path);
    std::string only;
    std::getline(again, only);
    EXPECT_EQ(only, "x");
    EXPECT_FALSE(std::getline(again, only));
    EXPECT_FALSE(link::TraceFile::create(::testing::TempDir() + "no_such_folder/trace.txt"));
}

}  // namespace
}  // namespace travex
