#pragma once
// The file system as the core sees it: whole-file reads, whole-file writes that never destroy
// an existing file when they fail, and the free-space check. The real implementation uses the
// standard library only; tests substitute their own.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace travex {

enum class WriteResult { written, failed };

// A whole-file read with a size cap: the bytes, or nothing; too_large when the file (or a
// device or pipe that never ends) holds more than the cap, found before more than the cap
// plus one byte was read.
struct CappedRead {
    std::optional<Bytes> bytes;
    bool too_large = false;
};

// A temporary file opened for the atomic write, filled in order and closed once.
class TempFile {
public:
    virtual ~TempFile() = default;
    // Appends the bytes; false when not every one of them was written (a full volume, an error).
    virtual bool write(std::string_view bytes) = 0;
    // Flushes and closes; false when the bytes may not all have reached the volume.
    virtual bool close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The whole file, or nothing when it cannot be opened or read.
    virtual std::optional<Bytes> read_file(const std::string& path) = 0;
    // The whole file when it holds at most max_bytes. The real file system checks the size of
    // a regular file before reading and reads anything else (a device, a pipe) only up to the
    // cap; this default, for file systems held in memory, checks after reading.
    virtual CappedRead read_file_capped(const std::string& path, std::uint64_t max_bytes) {
        CappedRead read{read_file(path)};
        if (read.bytes && read.bytes->size() > max_bytes) {
            read = {std::nullopt, true};
        }
        return read;
    }
    // True when a file of that name is there: one that can be opened for reading, and also one
    // that cannot (no permission), so that an unreadable file is never replaced unasked.
    virtual bool exists(const std::string& path) = 0;
    // Free bytes on the volume that holds path (or its folder); nullopt when unknown.
    virtual std::optional<std::uint64_t> free_space(const std::string& path) = 0;

    // Writes the whole file through a temporary file in the same folder and replaces the
    // target only once every byte is written and the file closed, so a failure at any step
    // leaves any old file untouched and no temporary file behind. Every file system shares
    // this one sequence; they differ only in the steps below.
    WriteResult write_file_atomic(const std::string& path, std::string_view bytes);

    // The suffix of the temporary files the atomic write makes next to its target.
    static constexpr std::string_view kTempMarker = ".travex-tmp";
    // The atomic write hands the bytes to the temporary file in pieces of this size.
    static constexpr std::size_t kWriteChunk = 64 * 1024;

protected:
    // Creates (or truncates) the file at temp_path for writing; nothing when it cannot.
    virtual std::unique_ptr<TempFile> create_temp(const std::string& temp_path) = 0;
    // Puts the closed temporary file in the target's place in one step.
    virtual bool replace(const std::string& temp_path, const std::string& target) = 0;
    // Removes a temporary file that will not be used; quiet when it is not there.
    virtual void remove_temp(const std::string& temp_path) = 0;
};

// Reads a stream to its end, or refuses it (too_large) at the first byte beyond max_bytes.
CappedRead read_stream_capped(std::istream& in, std::uint64_t max_bytes);

// The process's real file system.
FileSystem& real_file_system();

inline WriteResult write_file_atomic(FileSystem& fs, const std::string& path, const Bytes& bytes) {
    return fs.write_file_atomic(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace travex
