#include "cli/output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/file_system.h"
#include "base/input_caps.h"
#include "cli/command.h"

namespace travex::cli {

int write_output(const std::optional<std::string>& path, std::string_view bytes) {
    return write_output(real_file_system(), path, bytes);
}

int write_output(FileSystem& files, const std::optional<std::string>& path,
                 std::string_view bytes) {
    if (!path || path->empty() || *path == "-") {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
            std::fflush(stdout) != 0) {
            return fail("standard output", "cannot write");
        }
        return kExitOk;
    }
    if (files.write_file_atomic(*path, bytes) != WriteResult::written) {
        return fail(*path, "cannot write the file");
    }
    return kExitOk;
}

bool same_file(const std::string& input, const std::string& output) {
    if (input == "-" || output == "-" || output.empty()) {
        return false;
    }
    std::error_code ec;
    return std::filesystem::equivalent(input, output, ec) && !ec;
}

std::optional<Bytes> read_input(const std::string& path, std::uint64_t max_bytes) {
    if (path == "-") {
        Bytes bytes;
        char chunk[65536];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
            bytes.insert(bytes.end(), chunk, chunk + n);
            if (bytes.size() > max_bytes) {
                fail("standard input", too_large_problem(max_bytes));
                return std::nullopt;
            }
        }
        return bytes;
    }
    CappedRead read = real_file_system().read_file_capped(path, max_bytes);
    if (read.too_large) {
        fail(path, too_large_problem(max_bytes));
    } else if (!read.bytes) {
        fail(path, "cannot open or read the file");
    }
    return std::move(read.bytes);
}

}  // namespace travex::cli
