// Opens a COM port whose other end echoes every byte, and checks the link port layer on it:
// open codes, an echoed write, the empty read's time-out, purge and close.
// usage: com_port_check PORT_NUMBER
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "link/port_probe.h"
#include "link/serial_port_win32.h"

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
    if (!ok) {
        ++failures;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: com_port_check PORT_NUMBER\n");
        return 2;
    }
    const int number = std::atoi(argv[1]);
    using travex::PortOpenResult;

    std::printf("serial device map:");
    for (const auto& device : travex::system_serial_devices()) {
        std::printf(" %s", device.name.c_str());
    }
    std::printf("\n");

    travex::Win32SerialPort port;
    check(port.OpenLinkPort(0) == PortOpenResult::no_such_port, "port 0 does not exist");
    check(port.OpenLinkPort(100) == PortOpenResult::no_such_port, "port 100 does not exist");
    check(port.OpenLinkPort(number) == PortOpenResult::ok, "the port opens");
    check(port.OpenLinkPort(number) == PortOpenResult::in_use, "a second open is refused");
    travex::Win32SerialPort other;
    check(other.OpenLinkPort(number) == PortOpenResult::in_use, "one link port per process");

    std::vector<std::uint8_t> sent(200);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<std::uint8_t>(i * 37 + 11);  // also 0x11, 0x13, CR and LF
    }
    const travex::PortWriteResult w = port.WriteLinkBytes(sent);
    check(w.status == travex::PortWriteStatus::all_written && w.written == sent.size(),
          "a write goes out whole");

    std::vector<std::uint8_t> echoed;
    std::vector<std::uint8_t> buffer(1024);
    for (int reads = 0; reads < 20 && echoed.size() < sent.size(); ++reads) {
        const travex::PortReadResult r = port.ReadLinkBytes(buffer);
        if (r.status != travex::PortReadStatus::received) {
            std::printf("read failed: result %d code %d\n", static_cast<int>(r.status),
                        r.error_code);
            break;
        }
        if (r.received > 512) {
            check(false, "a read takes at most half of the buffer");
        }
        echoed.insert(echoed.end(), buffer.begin(), buffer.begin() + r.received);
    }
    check(echoed == sent, "the echo comes back byte for byte");

    const ULONGLONG start = GetTickCount64();
    const travex::PortReadResult empty = port.ReadLinkBytes(buffer);
    const ULONGLONG took = GetTickCount64() - start;
    std::printf("empty read took %llu ms: result %d, %u bytes, code %d\n", took,
                static_cast<int>(empty.status), static_cast<unsigned>(empty.received),
                empty.error_code);
    check(empty.status == travex::PortReadStatus::received && empty.received == 0,
          "a read with nothing to receive gets 0 bytes");
    check(took >= 250, "a read with nothing to receive waits for the read time-out");

    check(port.PurgeLinkPort(), "purge");
    port.ClearLinkErrors();
    check(port.SetLinkBaud(115200) && port.SetLinkBaud(38400), "speed change and back");
    check(port.CloseLinkPort(), "close");
    check(!port.is_open(), "closed");
    check(other.OpenLinkPort(number) == PortOpenResult::ok, "the port opens again after close");
    other.CloseLinkPort();
    check(port.OpenLinkPort(42) == PortOpenResult::no_such_port, "a port that is not there");
    std::printf("%d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
