#pragma once
// An in-memory FileSystem for tests: files are a map from path to bytes; writes can be made to
// fail (as a full disk or a refused path would) and the free space can be set. A failed write
// leaves the map untouched, as the real atomic write leaves the old file.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace travex::testing {

class FakeFileSystem final : public FileSystem {
public:
    std::map<std::string, Bytes> files;
    // Paths that exist but cannot be read (an open failure).
    std::set<std::string> unreadable;
    // When set, every write fails.
    bool fail_writes = false;
    // Writes to these paths fail.
    std::set<std::string> failing_paths;
    // The free space reported for every path; nullopt means unknown.
    std::optional<std::uint64_t> free_bytes = std::uint64_t{1} << 40;
    // Every path passed to write_file_atomic, in order (also the failed ones).
    std::vector<std::string> write_attempts;
    // How many writes succeeded.
    int writes = 0;
    // The path of the last free-space question.
    std::string last_free_space_query;

    void put(const std::string& path, const Bytes& bytes) { files[path] = bytes; }

    std::optional<Bytes> read_file(const std::string& path) override {
        if (unreadable.count(path) != 0) {
            return std::nullopt;
        }
        auto it = files.find(path);
        if (it == files.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    bool exists(const std::string& path) override {
        return files.count(path) != 0 && unreadable.count(path) == 0;
    }

    WriteResult write_file_atomic(const std::string& path, std::string_view bytes) override {
        write_attempts.push_back(path);
        if (fail_writes || failing_paths.count(path) != 0) {
            return WriteResult::failed;
        }
        files[path] = Bytes(bytes.begin(), bytes.end());
        ++writes;
        return WriteResult::written;
    }

    std::optional<std::uint64_t> free_space(const std::string& path) override {
        last_free_space_query = path;
        return free_bytes;
    }
};

}  // namespace travex::testing
