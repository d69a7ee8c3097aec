// A wire trace line from a bug report: accepted bytes are whole bytes written as two hex digits,
// and the line parses the same way again.
#include "fuzz_check.h"
#include "link/tracing_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto line = travex::fuzz::text_of(data, size);
    const auto parsed = travex::link::parse_trace_line(line);
    const auto again = travex::link::parse_trace_line(line);
    travex::fuzz::fail_if(parsed &&
                          (!again || again->bytes != parsed->bytes || again->ms != parsed->ms ||
                           (parsed->direction != ':' && parsed->bytes.size() * 3 > size + 1)));
    return 0;
}
