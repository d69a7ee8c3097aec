// The simulated calculator fed arbitrary computer bytes (as it gets them on a pseudo-terminal)
// and fault texts: it never crashes and its answers stay bounded.
#include <string>

#include "fuzz_check.h"
#include "sim/sim_calculator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace travex;
    if (size < 1) {
        return 0;
    }
    // The first byte's length of text is a fault text.
    const std::size_t text_length = std::min<std::size_t>(data[0] % 16, size - 1);
    std::string error;
    sim::SimCalculator calculator;
    if (const auto fault = sim::parse_fault(fuzz::text_of(data + 1, text_length), error)) {
        calculator.add_fault(*fault);
    }
    calculator.memory().put_named(link::make_name("PROGRAM"), link::make_name("P"), {0, 'A'});
    calculator.memory().put_code(link::make_name("MATRIX"), {0x10, 0x09}, {0x10, 0x09, 1, 2});
    std::size_t answered = 0;
    for (std::size_t at = 1 + text_length; at < size;) {
        const std::size_t piece = std::min<std::size_t>(1 + data[at] % 32, size - at);
        answered += calculator.on_receive(std::span(data + at, piece)).size();
        at += piece;
    }
    // Every answer is to something the computer sent; nothing grows without input.
    fuzz::fail_if(answered > 64 * size + 4096);
    return 0;
}
