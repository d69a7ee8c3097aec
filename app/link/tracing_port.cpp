#include "link/tracing_port.h"

#include <charconv>
#include <cstdio>

#include "link/link_engine.h"

namespace travex::link {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::string_view kStepMark = "  | ";

const char* open_result_name(PortOpenResult result) {
    switch (result) {
        case PortOpenResult::ok:
            return "ok";
        case PortOpenResult::in_use:
            return "in use";
        case PortOpenResult::no_such_port:
            return "no such port";
        case PortOpenResult::port_error:
            return "port error";
    }
    return "?";
}

}  // namespace

TracingPort::TracingPort(SerialPort& inner, Clock& clock, TraceSink& sink)
    : inner_(inner), clock_(clock), sink_(sink), start_ms_(clock.now_ms()) {}

void TracingPort::line(char direction, std::string_view text) {
    char head[32];
    const int n =
        std::snprintf(head, sizeof head, "%09llu %c ",
                      static_cast<unsigned long long>(clock_.now_ms() - start_ms_), direction);
    line_.assign(head, static_cast<std::size_t>(n));
    line_ += text;
    if (step_source_) {
        line_ += kStepMark;
        line_ += step_source_();
    }
    sink_.write_line(line_);
}

void TracingPort::bytes_line(char direction, std::span<const std::uint8_t> bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!hex.empty()) {
            hex += ' ';
        }
        hex += kHex[b >> 4];
        hex += kHex[b & 0x0F];
    }
    line(direction, hex);
}

PortOpenResult TracingPort::OpenLinkPort(int port_number) {
    const PortOpenResult result = inner_.OpenLinkPort(port_number);
    line(':', "open " + std::to_string(port_number) + " " + open_result_name(result));
    return result;
}

bool TracingPort::CloseLinkPort() {
    const bool closed = inner_.CloseLinkPort();
    line(':', closed ? "close" : "close failed");
    return closed;
}

PortWriteResult TracingPort::WriteLinkBytes(std::span<const std::uint8_t> bytes) {
    const PortWriteResult result = inner_.WriteLinkBytes(bytes);
    switch (result.status) {
        case PortWriteStatus::all_written:
            bytes_line('>', bytes);
            break;
        case PortWriteStatus::timed_out:
            bytes_line('>', bytes.first(std::min(result.written, bytes.size())));
            line(':', "write timed out after " + std::to_string(result.written) + " of " +
                          std::to_string(bytes.size()));
            break;
        case PortWriteStatus::failed:
            line(':', "write of " + std::to_string(bytes.size()) + " failed");
            break;
    }
    return result;
}

PortReadResult TracingPort::ReadLinkBytes(std::span<std::uint8_t> buffer) {
    const PortReadResult result = inner_.ReadLinkBytes(buffer);
    const std::size_t got = std::min(result.received, buffer.size());
    if (got > 0) {
        bytes_line('<', buffer.first(got));
    }
    if (result.status == PortReadStatus::failed) {
        line(':', "read failed, code " + std::to_string(result.error_code));
    }
    return result;
}

bool TracingPort::PurgeLinkPort() {
    const bool purged = inner_.PurgeLinkPort();
    line(':', purged ? "purge" : "purge failed");
    return purged;
}

std::size_t TracingPort::ClearLinkErrors() {
    // Polled on every tick: only its answer matters to the engine, so it is not traced.
    return inner_.ClearLinkErrors();
}

bool TracingPort::SetLinkBaud(std::uint32_t rate) {
    const bool set = inner_.SetLinkBaud(rate);
    line(':', "baud " + std::to_string(rate) + (set ? "" : " failed"));
    return set;
}

std::string engine_step_name(const LinkEngine& engine) {
    const int index = engine.step_index();
    if (index < 0 || static_cast<std::size_t>(index) >= kMaxSteps) {
        return "idle";
    }
    const LinkStep& step = engine.steps()[static_cast<std::size_t>(index)];
    const char* kind = "end";
    switch (step.kind) {
        case StepKind::send:
            kind = "send";
            break;
        case StepKind::receive:
            kind = "receive";
            break;
        default:
            break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "step %d %s %02X", index, kind, step.command);
    return text;
}

std::optional<TraceLine> parse_trace_line(std::string_view text) {
    TraceLine parsed;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed.ms);
    if (error != std::errc() || end + 3 > text.data() + text.size() || end[0] != ' ' ||
        end[2] != ' ') {
        return std::nullopt;
    }
    parsed.direction = end[1];
    std::string_view rest = text.substr(static_cast<std::size_t>(end + 3 - text.data()));
    rest = rest.substr(0, rest.find(kStepMark));
    if (parsed.direction == ':') {
        parsed.note = std::string(rest);
        return parsed;
    }
    if (parsed.direction != '>' && parsed.direction != '<') {
        return std::nullopt;
    }
    while (!rest.empty()) {
        unsigned value = 0;
        const auto [next, bad] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 16);
        if (bad != std::errc() || value > 0xFF || next != rest.data() + 2) {
            return std::nullopt;
        }
        parsed.bytes.push_back(static_cast<std::uint8_t>(value));
        rest.remove_prefix(std::min<std::size_t>(3, rest.size()));
    }
    return parsed;
}

}  // namespace travex::link
