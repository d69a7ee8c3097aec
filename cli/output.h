#pragma once
// Where a command's result goes: a file (written atomically, so a failure never destroys an
// existing one) or standard output.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace travex {
class FileSystem;
}

namespace travex::cli {

// Writes bytes to path, or to standard output when path is empty or "-". Returns kExitOk, or
// reports the failure naming the file and returns kExitFailure.
int write_output(const std::optional<std::string>& path, std::string_view bytes);
inline int write_output(const std::optional<std::string>& path, const Bytes& bytes) {
    return write_output(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// The same, writing a file through the given file system (the tests' faults reach it there).
int write_output(FileSystem& files, const std::optional<std::string>& path, std::string_view bytes);

// True when both names lead to one existing file (also through other spellings or links):
// writing the output would destroy the input it is made from.
bool same_file(const std::string& input, const std::string& output);

// Reads a whole input file, or standard input for "-", of at most max_bytes (the cap of its
// kind); reports a failure naming the file, a larger input included, which is refused before
// it is read.
std::optional<Bytes> read_input(const std::string& path, std::uint64_t max_bytes);

}  // namespace travex::cli
