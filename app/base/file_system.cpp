#include "base/file_system.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace travex {
namespace {

namespace fs = std::filesystem;

class StdTempFile final : public TempFile {
public:
    explicit StdTempFile(const fs::path& where) : out_(where, std::ios::binary | std::ios::trunc) {}
    bool is_open() const { return out_.is_open(); }
    bool write(std::string_view bytes) override {
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out_);
    }
    bool close() override {
        out_.flush();
        const bool flushed = static_cast<bool>(out_);
        out_.close();
        return flushed && !out_.fail();
    }

private:
    std::ofstream out_;
};

class StdFileSystem final : public FileSystem {
public:
    std::optional<Bytes> read_file(const std::string& path) override {
        std::ifstream in(fs::path(path), std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        Bytes bytes;
        char chunk[65536];
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            bytes.insert(bytes.end(), chunk, chunk + in.gcount());
        }
        if (in.bad()) {
            return std::nullopt;
        }
        return bytes;
    }

    CappedRead read_file_capped(const std::string& path, std::uint64_t max_bytes) override {
        std::error_code ec;
        const fs::path where(path);
        const fs::file_status status = fs::status(where, ec);
        if (fs::is_directory(status)) {
            return {};
        }
        if (fs::is_regular_file(status)) {
            const std::uintmax_t size = fs::file_size(where, ec);
            if (!ec && size > max_bytes) {
                return {std::nullopt, true};
            }
        }
        std::ifstream in(where, std::ios::binary);
        if (!in) {
            return {};
        }
        return read_stream_capped(in, max_bytes);
    }

    bool exists(const std::string& path) override {
        std::error_code ec;
        const fs::file_status status = fs::status(fs::path(path), ec);
        if (fs::is_directory(status)) {
            return false;
        }
        if (fs::exists(status)) {
            return true;
        }
        std::ifstream in(fs::path(path), std::ios::binary);
        return static_cast<bool>(in);
    }

protected:
    std::unique_ptr<TempFile> create_temp(const std::string& temp_path) override {
        auto file = std::make_unique<StdTempFile>(fs::path(temp_path));
        if (!file->is_open()) {
            return nullptr;
        }
        return file;
    }

    bool replace(const std::string& temp_path, const std::string& target) override {
        std::error_code ec;
        fs::rename(fs::path(temp_path), fs::path(target), ec);
        return !ec;
    }

    void remove_temp(const std::string& temp_path) override {
        std::error_code ec;
        fs::remove(fs::path(temp_path), ec);
    }

public:
    std::optional<std::uint64_t> free_space(const std::string& path) override {
        std::error_code ec;
        fs::path where = fs::path(path);
        // Walk up to the nearest existing folder: the target file usually does not exist yet.
        while (!where.empty() && !fs::exists(where, ec)) {
            if (where == where.parent_path()) {
                break;
            }
            where = where.parent_path();
        }
        if (where.empty()) {
            where = fs::current_path(ec);
        }
        const fs::space_info info = fs::space(where, ec);
        if (ec) {
            return std::nullopt;
        }
        return info.available;
    }
};

}  // namespace

WriteResult FileSystem::write_file_atomic(const std::string& path, std::string_view bytes) {
    if (path.empty() || fs::path(path).filename().empty()) {
        return WriteResult::failed;
    }
    static std::atomic<unsigned> counter{0};
    const std::string temp = path + std::string(kTempMarker) + std::to_string(counter++);
    std::unique_ptr<TempFile> out = create_temp(temp);
    if (!out) {
        remove_temp(temp);
        return WriteResult::failed;
    }
    bool complete = true;
    for (std::size_t at = 0; complete && at < bytes.size(); at += kWriteChunk) {
        complete = out->write(bytes.substr(at, kWriteChunk));
    }
    // Closed even after a failed write, so the temporary file can be removed on every system.
    complete = out->close() && complete;
    out.reset();
    if (!complete || !replace(temp, path)) {
        remove_temp(temp);
        return WriteResult::failed;
    }
    return WriteResult::written;
}

CappedRead read_stream_capped(std::istream& in, std::uint64_t max_bytes) {
    // A file that grew since its size was looked at, or a device without end, stops at the
    // first byte beyond the cap.
    Bytes bytes;
    char chunk[65536];
    for (;;) {
        const std::uint64_t room = max_bytes - bytes.size() + 1;
        const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(sizeof chunk, room));
        in.read(chunk, want);
        const std::streamsize got = in.gcount();
        if (got <= 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > max_bytes) {
            return {std::nullopt, true};
        }
    }
    if (in.bad()) {
        return {};
    }
    return {std::move(bytes), false};
}

FileSystem& real_file_system() {
    static StdFileSystem instance;
    return instance;
}

}  // namespace travex
