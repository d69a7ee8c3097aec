#pragma once
// Wire-trace lines into a file, written through as they come so that the trace of a run that
// ends badly is whole up to its last line.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "link/tracing_port.h"

namespace travex::link {

class TraceFile final : public TraceSink {
public:
    // The file at path, emptied; nothing when it cannot be written.
    static std::unique_ptr<TraceFile> create(const std::string& path);
    // Takes over an open file and closes it at the end.
    explicit TraceFile(std::FILE* file) : file_(file) {}
    ~TraceFile() override;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    void write_line(std::string_view line) override;

private:
    std::FILE* file_;
};

}  // namespace travex::link
