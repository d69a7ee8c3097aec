#pragma once
// The wire trace: a serial port that passes every call on to another port and writes one line
// for each, with the time since the trace began, the direction and the bytes in hex, and the
// step of the link script that was running. This is what a user attaches to a bug report when
// a real calculator misbehaves, and what the replay test feeds back into the engine.
//
//   000001234 > 31 31 14 ...   bytes written (WriteLinkBytes), as many as went out
//   000001240 < 01             bytes read (ReadLinkBytes; empty reads are not written)
//   000001250 : open 3 ok      open, close, purge, errors, speed, failures
// Each line ends with "  | " and the step when a step source is set.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial_port.h"

namespace travex::link {

// Where trace lines go (a file for travex-cli and TRAVEX.exe, memory for tests).
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void write_line(std::string_view line) = 0;
};

class TracingPort final : public SerialPort {
public:
    TracingPort(SerialPort& inner, Clock& clock, TraceSink& sink);

    // Names the running step at each line (the engine's script step).
    void set_step_source(std::function<std::string()> source) { step_source_ = std::move(source); }

    PortOpenResult OpenLinkPort(int port_number) override;
    bool CloseLinkPort() override;
    bool is_open() const override { return inner_.is_open(); }
    PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) override;
    PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) override;
    bool PurgeLinkPort() override;
    std::size_t ClearLinkErrors() override;
    bool SetLinkBaud(std::uint32_t rate) override;

private:
    void line(char direction, std::string_view text);
    void bytes_line(char direction, std::span<const std::uint8_t> bytes);

    SerialPort& inner_;
    Clock& clock_;
    TraceSink& sink_;
    std::uint64_t start_ms_;
    std::function<std::string()> step_source_;
    std::string line_;  // reused for every line
};

class LinkEngine;
// The engine's running step as the trace names it: "step 2 receive 01".
std::string engine_step_name(const LinkEngine& engine);

// One parsed trace line: its time, direction ('>', '<' or ':') and bytes or note.
struct TraceLine {
    std::uint64_t ms = 0;
    char direction = ':';
    std::vector<std::uint8_t> bytes;
    std::string note;
};
// A trace line as written by TracingPort; nothing for a line that is not one.
std::optional<TraceLine> parse_trace_line(std::string_view line);

}  // namespace travex::link
