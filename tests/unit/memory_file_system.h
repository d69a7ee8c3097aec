#pragma once
// An in-memory FileSystem for tests: files by path, with a switch that makes writes fail.
#include <map>
#include <string>

#include "base/file_system.h"

namespace travex::testing {

class MemoryFileSystem final : public FileSystem {
public:
    std::map<std::string, std::string> files;
    bool fail_writes = false;
    int writes = 0;

    std::optional<Bytes> read_file(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) {
            return std::nullopt;
        }
        return Bytes(it->second.begin(), it->second.end());
    }
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    WriteResult write_file_atomic(const std::string& path, std::string_view bytes) override {
        if (fail_writes) {
            return WriteResult::failed;
        }
        ++writes;
        files[path] = std::string(bytes);
        return WriteResult::written;
    }
    std::optional<std::uint64_t> free_space(const std::string&) override { return 1u << 30; }
};

}  // namespace travex::testing
