// Opens a COM port whose other end echoes every byte, and checks the link port layer on it:
// an echoed write, the empty read, close and open again, and a missing port.
// usage: com_port_check PORT_NUMBER
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "link/serial_port_win32.h"

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
    failures += ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int number = argc == 2 ? std::atoi(argv[1]) : 0;
    using travex::PortOpenResult;
    travex::Win32SerialPort port;
    check(port.OpenLinkPort(number) == PortOpenResult::ok, "the port opens");

    std::vector<std::uint8_t> sent(200);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<std::uint8_t>(i * 37 + 11);  // also 0x11, 0x13, CR and LF
    const travex::PortWriteResult w = port.WriteLinkBytes(sent);
    check(w.status == travex::PortWriteStatus::all_written && w.written == sent.size(),
          "a write goes out whole");
    std::vector<std::uint8_t> echoed;
    std::vector<std::uint8_t> buffer(1024);
    for (int reads = 0; reads < 20 && echoed.size() < sent.size(); ++reads) {
        const travex::PortReadResult r = port.ReadLinkBytes(buffer);
        check(r.status == travex::PortReadStatus::received && r.received <= 512,
              "a read takes at most half of the buffer");
        echoed.insert(echoed.end(), buffer.begin(), buffer.begin() + r.received);
    }
    check(echoed == sent, "the echo comes back byte for byte");

    // Wine's serial port waits for the total time-out, the cable's driver gives up at its first
    // tick: either way the read is a good one with nothing in it.
    const travex::PortReadResult empty = port.ReadLinkBytes(buffer);
    check(empty.status == travex::PortReadStatus::received && empty.received == 0,
          "a read with nothing to receive gets 0 bytes");

    check(port.CloseLinkPort() && !port.is_open(), "close");
    check(port.OpenLinkPort(number) == PortOpenResult::ok, "the port opens again after close");
    port.CloseLinkPort();
    check(port.OpenLinkPort(42) == PortOpenResult::no_such_port, "a port that is not there");
    std::printf("%d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
