// Serial I/O controls of any code with input and output buffers of any size, mixed with reads,
// writes, arriving bytes and time, against the driver core in the simulated kernel. The
// buffers are exactly as large as the request says, so any access outside them is caught; the
// simulated kernel reports requests completed twice, waits at the wrong level and leaks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "driver_harness.h"

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t{Byte()} << (8 * i);
        return v;
    }
    std::vector<uint8_t> Bytes(size_t n) {
        std::vector<uint8_t> out;
        while (n-- > 0 && !empty())
            out.push_back(Byte());
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

uint32_t ControlCode(Input& in) {
    uint8_t pick = in.Byte();
    if (pick < 200)
        return qmub::SerialControl(pick % 42);  // mostly the serial range
    return in.Word();                           // any code at all
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qmub;
    using namespace qmub::sim;
    Input in(data, size);
    DriverHarness h;
    h.kernel.parameters[u"PreventFromSuspend1"] = in.Byte() & 1 ? 1 : 0;
    h.AddAndStart();
    SimRequest* open = h.Open();
    int operations = 0;
    while (!in.empty() && operations++ < 64) {
        switch (in.Byte() % 8) {
            case 0:
            case 1:
            case 2: {
                uint32_t code = ControlCode(in);
                uint32_t input_length = in.Byte() % 72;
                uint32_t output_length = in.Byte() % 72;
                h.Control(code, in.Bytes(input_length), output_length);
                break;
            }
            case 3:
                h.Read(in.Byte() % 128);
                break;
            case 4:
                h.Write(in.Bytes(in.Byte() % 80));
                break;
            case 5: {
                std::vector<uint8_t> bytes = in.Bytes(in.Byte());
                h.Feed(std::string(bytes.begin(), bytes.end()));
                break;
            }
            case 6:
                h.kernel.Advance(in.Byte() % 40);
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
