#pragma once
// The file system of the tests: files held in memory by path, and faults that strike the atomic
// write at each of its steps on request. The atomic write itself is the production sequence
// (FileSystem::write_file_atomic); this file system only supplies the steps, so a fault here
// meets exactly the code that runs on a real volume. Temporary files live in the same map as
// the others while they are written, so a test can see one left behind.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace travex::testing {

class FaultFileSystem final : public FileSystem {
public:
    std::map<std::string, Bytes> files;
    // Paths that cannot be opened for reading.
    std::set<std::string> unreadable;

    // Faults. Each holds until it is cleared (clear_faults), as a full disk stays full.
    // Creating any temporary file fails.
    bool fail_writes = false;
    // Creating the temporary file of these targets fails.
    std::set<std::string> failing_paths;
    // The n-th call (counted from 1 over the life of this object, see write_calls) that writes
    // into a temporary file fails and writes nothing.
    std::optional<int> fail_write_call;
    // The volume fills up once this many bytes (counted over all temporary files, see
    // bytes_written) have been written: the write that crosses it stores only what fits and
    // fails, as does every write after it.
    std::optional<std::uint64_t> fail_after_bytes;
    // Flushing and closing the temporary file fails.
    bool fail_close = false;
    // Putting the temporary file in the target's place fails.
    bool fail_rename = false;
    // The free space reported for every path; nullopt when the question fails.
    std::optional<std::uint64_t> free_bytes = std::uint64_t{1} << 40;

    // What happened.
    std::vector<std::string> write_attempts;  // every target of the atomic write, in order
    int writes = 0;                           // atomic writes that replaced their target
    int reads = 0;                            // read_file calls
    int write_calls = 0;                      // writes into temporary files
    std::uint64_t bytes_written = 0;          // bytes that reached temporary files
    std::string last_free_space_query;

    void clear_faults() {
        fail_writes = false;
        failing_paths.clear();
        fail_write_call.reset();
        fail_after_bytes.reset();
        fail_close = false;
        fail_rename = false;
        free_bytes = std::uint64_t{1} << 40;
    }

    void put(const std::string& path, const Bytes& bytes) { files[path] = bytes; }
    void put(const std::string& path, std::string_view text) {
        files[path] = Bytes(text.begin(), text.end());
    }
    std::string text(const std::string& path) const {
        const auto it = files.find(path);
        return it == files.end() ? std::string()
                                 : std::string(it->second.begin(), it->second.end());
    }
    // The temporary files still there.
    std::vector<std::string> temp_files() const {
        std::vector<std::string> left;
        for (const auto& [path, bytes] : files) {
            if (path.find(kTempMarker) != std::string::npos) {
                left.push_back(path);
            }
        }
        return left;
    }

    std::optional<Bytes> read_file(const std::string& path) override {
        ++reads;
        if (unreadable.count(path) != 0) {
            return std::nullopt;
        }
        const auto it = files.find(path);
        if (it == files.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    bool exists(const std::string& path) override {
        return files.count(path) != 0 && unreadable.count(path) == 0;
    }

    std::optional<std::uint64_t> free_space(const std::string& path) override {
        last_free_space_query = path;
        return free_bytes;
    }

protected:
    std::unique_ptr<TempFile> create_temp(const std::string& temp_path) override {
        const std::string target = temp_path.substr(0, temp_path.rfind(kTempMarker));
        write_attempts.push_back(target);
        if (fail_writes || failing_paths.count(target) != 0) {
            return nullptr;
        }
        files[temp_path].clear();
        return std::make_unique<MemoryTempFile>(*this, temp_path);
    }

    bool replace(const std::string& temp_path, const std::string& target) override {
        const auto it = files.find(temp_path);
        if (fail_rename || it == files.end()) {
            return false;
        }
        files[target] = std::move(it->second);
        files.erase(temp_path);
        ++writes;
        return true;
    }

    void remove_temp(const std::string& temp_path) override { files.erase(temp_path); }

private:
    class MemoryTempFile final : public TempFile {
    public:
        MemoryTempFile(FaultFileSystem& owner, std::string path)
            : owner_(owner), path_(std::move(path)) {}
        bool write(std::string_view bytes) override {
            if (closed_) {
                return false;
            }
            ++owner_.write_calls;
            if (owner_.fail_write_call && owner_.write_calls == *owner_.fail_write_call) {
                return false;
            }
            std::size_t fits = bytes.size();
            if (owner_.fail_after_bytes) {
                const std::uint64_t room = owner_.bytes_written < *owner_.fail_after_bytes
                                               ? *owner_.fail_after_bytes - owner_.bytes_written
                                               : 0;
                fits = static_cast<std::size_t>(std::min<std::uint64_t>(fits, room));
            }
            Bytes& file = owner_.files[path_];
            file.insert(file.end(), bytes.begin(),
                        bytes.begin() + static_cast<std::ptrdiff_t>(fits));
            owner_.bytes_written += fits;
            return fits == bytes.size();
        }
        bool close() override {
            closed_ = true;
            return !owner_.fail_close;
        }

    private:
        FaultFileSystem& owner_;
        std::string path_;
        bool closed_ = false;
    };
};

}  // namespace travex::testing
