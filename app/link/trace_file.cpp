#include "link/trace_file.h"

namespace travex::link {

std::unique_ptr<TraceFile> TraceFile::create(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return nullptr;
    }
    return std::make_unique<TraceFile>(file);
}

TraceFile::~TraceFile() {
    std::fclose(file_);
}

void TraceFile::write_line(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

}  // namespace travex::link
