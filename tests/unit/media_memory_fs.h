#pragma once
// An in-memory file system for the group, picture and slide show tests and fuzz targets: files
// in a map, a settable amount of free space and paths whose writes fail.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "base/file_system.h"

namespace travex::media_test {

class MemoryFiles final : public FileSystem {
public:
    std::map<std::string, Bytes> files;
    std::optional<std::uint64_t> free_bytes;  // unknown when empty
    std::set<std::string> failing_writes;
    std::string last_free_space_query;
    int writes = 0;

    std::optional<Bytes> read_file(const std::string& path) override {
        const auto it = files.find(path);
        if (it == files.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    WriteResult write_file_atomic(const std::string& path, std::string_view bytes) override {
        if (failing_writes.count(path) != 0) {
            return WriteResult::failed;
        }
        ++writes;
        files[path] = Bytes(bytes.begin(), bytes.end());
        return WriteResult::written;
    }
    std::optional<std::uint64_t> free_space(const std::string& path) override {
        last_free_space_query = path;
        return free_bytes;
    }
};

}  // namespace travex::media_test
