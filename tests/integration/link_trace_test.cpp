// The wire trace a user attaches after a transfer went wrong, perhaps one that ended with the
// program: every line is in the file as soon as it is written, and a new run starts it afresh.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "link/trace_file.h"

namespace travex {
namespace {

std::string read_all(const std::string& path) {
    std::ifstream in(path);
    return (std::ostringstream() << in.rdbuf()).str();
}

TEST(LinkTrace, TraceFileHoldsEachLineAtOnceAndRefusesAPathItCannotWrite) {
    const std::string path = ::testing::TempDir() + "travex_trace_file_test.txt";
    {
        auto file = link::TraceFile::create(path);
        ASSERT_TRUE(file);
        file->write_line("000000001 : open 1 ok");
        file->write_line("000000002 > 31 31 41 00 A3  | step 0 send 41");
        EXPECT_EQ(read_all(path),
                  "000000001 : open 1 ok\n000000002 > 31 31 41 00 A3  | step 0 send 41\n");
    }
    link::TraceFile::create(path)->write_line("x");
    EXPECT_EQ(read_all(path), "x\n");
    EXPECT_FALSE(link::TraceFile::create(::testing::TempDir() + "no_such_folder/trace.txt"));
}

}  // namespace
}  // namespace travex
