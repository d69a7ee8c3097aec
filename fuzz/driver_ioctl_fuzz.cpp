// Serial I/O controls of any code with input and output buffers of any size, mixed with reads,
// writes, arriving bytes and time, against the driver core in the simulated kernel. The
// buffers are exactly as large as the request says, so any access outside them is caught; the
// simulated kernel reports requests completed twice, waits at the wrong level and leaks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "driver_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qmub;
    using namespace qmub::sim;
    size_t at = 0;
    auto byte = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    auto bytes = [&](size_t n) {
        std::vector<uint8_t> out;
        while (n-- > 0 && at < size)
            out.push_back(data[at++]);
        return out;
    };
    DriverHarness h;
    h.kernel.parameters[u"PreventFromSuspend1"] = byte() & 1;
    h.AddAndStart();
    SimRequest* open = h.Open();
    for (int operations = 0; at < size && operations < 64; ++operations) {
        switch (byte() % 8) {
            default: {  // 0 to 2
                // Mostly the serial range, else any code at all.
                uint8_t pick = byte();
                uint32_t code = pick < 200 ? SerialControl(pick % 42) : 0;
                for (int i = 0; pick >= 200 && i < 4; ++i)
                    code |= uint32_t{byte()} << (8 * i);
                uint32_t input_length = byte() % 72;
                uint32_t output_length = byte() % 72;
                h.Control(code, bytes(input_length), output_length);
                break;
            }
            case 3:
                h.Read(byte() % 128);
                break;
            case 4:
                h.Write(bytes(byte() % 80));
                break;
            case 5: {
                std::vector<uint8_t> fed = bytes(byte());
                h.Feed(std::string(fed.begin(), fed.end()));
                break;
            }
            case 6:
                h.kernel.Advance(byte() % 40);
                break;
            case 7:
                if (open->status == kSuccess)
                    h.CloseHandle(open);
                open = h.Open();
                break;
        }
    }
    h.kernel.Advance(20);
    if (open->status == kSuccess)
        h.CloseHandle(open);
    h.Pnp(irp::kRemoveDevice);
    if (!h.kernel.faults.empty() || !h.kernel.device_deleted || h.kernel.pending_requests() != 0) {
        std::fprintf(stderr, "driver fault: %s\n",
                     h.kernel.faults.empty() ? "request left pending or device kept"
                                             : h.kernel.faults.front().c_str());
        std::abort();
    }
    return 0;
}
