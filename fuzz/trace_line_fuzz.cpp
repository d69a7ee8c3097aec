// A wire trace line from a bug report: parsed bytes, when accepted, are whole bytes written as
// two hex digits, and the line parses the same way again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_check.h"
#include "link/tracing_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto parsed = travex::link::parse_trace_line(line);
    if (!parsed) {
        return 0;
    }
    const auto again = travex::link::parse_trace_line(line);
    travex::fuzz::fail_if(!again || again->bytes != parsed->bytes || again->ms != parsed->ms);
    if (parsed->direction != ':' && parsed->bytes.size() * 3 > size + 1) {
        std::abort();  // more bytes than the line could hold
    }
    return 0;
}
