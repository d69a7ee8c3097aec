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
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace travex::testing {

class FaultFileSystem final : public FileSystem {
public:
    std::map<std::string, Bytes> files;

    // Faults; each holds until clear_faults, as a full disk stays full.
    bool fail_writes = false;            // creating a temporary file fails
    std::optional<int> fail_write_call;  // the n-th write (counting write_calls) fails
    // The volume fills up once bytes_written reaches this: the write that crosses it stores only
    // what fits and fails, as does every write after it.
    std::optional<std::uint64_t> fail_after_bytes;
    bool fail_close = false;   // flushing and closing the temporary file fails
    bool fail_rename = false;  // putting the temporary file in the target's place fails
    // The free space reported for every path; nullopt when the question fails.
    std::optional<std::uint64_t> free_bytes = std::uint64_t{1} << 40;

    // What happened.
    std::vector<std::string> write_attempts;  // every target of the atomic write, in order
    int writes = 0;                           // atomic writes that replaced their target
    int reads = 0;                            // read_file calls
    int write_calls = 0;                      // writes into temporary files
    std::uint64_t bytes_written = 0;          // bytes that reached temporary files

    void clear_faults() {
        fail_writes = fail_close = fail_rename = false;
        fail_write_call.reset();
        fail_after_bytes.reset();
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
    bool temp_left() const {
        return std::any_of(files.begin(), files.end(), [](const auto& file) {
            return file.first.find(kTempMarker) != std::string::npos;
        });
    }

    std::optional<Bytes> read_file(const std::string& path) override {
        ++reads;
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<Bytes>(it->second);
    }
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    std::optional<std::uint64_t> free_space(const std::string&) override { return free_bytes; }

protected:
    std::unique_ptr<TempFile> create_temp(const std::string& temp_path) override {
        write_attempts.push_back(temp_path.substr(0, temp_path.rfind(kTempMarker)));
        if (fail_writes) {
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
            ++owner_.write_calls;
            if (closed_ || owner_.fail_write_call == owner_.write_calls) {
                return false;
            }
            std::size_t fits = bytes.size();
            if (owner_.fail_after_bytes) {
                const std::uint64_t room = *owner_.fail_after_bytes -
                                           std::min(owner_.bytes_written, *owner_.fail_after_bytes);
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
