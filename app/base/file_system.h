#pragma once
// The file system as the core sees it: whole-file reads, whole-file writes that never destroy
// an existing file when they fail, and the free-space check. The real implementation uses the
// standard library only; tests substitute their own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace travex {

enum class WriteResult { written, failed };

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The whole file, or nothing when it cannot be opened or read.
    virtual std::optional<Bytes> read_file(const std::string& path) = 0;
    // True when a file of that name is there: one that can be opened for reading, and also one
    // that cannot (no permission), so that an unreadable file is never replaced unasked.
    virtual bool exists(const std::string& path) = 0;
    // Writes the whole file through a temporary file in the same folder and replaces the
    // target only once every byte is written, so a failure leaves any old file untouched.
    virtual WriteResult write_file_atomic(const std::string& path, std::string_view bytes) = 0;
    // Free bytes on the volume that holds path (or its folder); nullopt when unknown.
    virtual std::optional<std::uint64_t> free_space(const std::string& path) = 0;
};

// The process's real file system.
FileSystem& real_file_system();

inline WriteResult write_file_atomic(FileSystem& fs, const std::string& path, const Bytes& bytes) {
    return fs.write_file_atomic(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace travex
