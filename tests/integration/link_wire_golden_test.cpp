// What the calculator sees never depends on how fast the engine goes: whole sends and receives,
// clean and with each kind of calculator fault, at the defaults and at the fast profile, replay
// exactly the bytes of a stored wire trace in both directions and end the same way. When a
// change to the engine alters the recording (golden/link_wire.txt), it alters the protocol.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "link/tracing_port.h"
#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::pattern;

// Both directions of a whole operation, as the port's trace lines give them, and its end code.
struct Wire final : link::TraceSink {
    void write_line(std::string_view line) override {
        const auto parsed = link::parse_trace_line(line);
        if (parsed && parsed->direction != ':') {
            Bytes& to = parsed->direction == '>' ? out : in;
            to.insert(to.end(), parsed->bytes.begin(), parsed->bytes.end());
        }
    }
    Bytes out;  // computer to calculator
    Bytes in;   // calculator to computer, as read
    int code = -1;
};

// "send" or "receive" of two programs, the size of the first, and the calculator's fault.
// Replies of a send: 1 hello, 2-13 the directory lists, 14-16 the first file, 17-19 the second;
// of a receive: 1 hello, 2-13 the directory lists, 14-18 the first item, 19-23 the second.
struct Case {
    bool send;
    std::size_t first_bytes;
    const char* fault;
    std::string name() const {
        return std::string(send ? "send " : "receive ") + std::to_string(first_bytes) + " " +
               (fault[0] != '\0' ? fault : "clean");
    }
};
constexpr Case kCases[] = {
    {true, 2000, ""},           {true, 70, "nak:16"},       {true, 70, "checksum:15"},
    {true, 70, "checksum:1"},   {true, 70, "memfull"},      {true, 70, "cancel83:19"},
    {true, 70, "silence:15"},   {true, 70, "id2:3"},        {false, 2000, ""},
    {false, 70, "checksum:18"}, {false, 70, "checksum:23"}, {false, 70, "checksum:4"},
    {false, 70, "nak:17"},      {false, 70, "nak:5"},       {false, 70, "silence"},
    {false, 70, "silence:20"},  {false, 70, "id1:14"},      {false, 70, "id2:23"},
    {false, 70, "cancel82:16"}, {false, 70, "cancel83:23"}, {false, 70, "memfull:23"},
    {false, 70, "truncate:18"}, {false, 70, "truncate:23"},
};

// A receive stores only whole files, each the item the calculator holds; all of them when it
// succeeds.
Wire run_case(const Case& c, int timer_interval_ms, int out_buffer) {
    link::LinkSettings settings;
    settings.timer_interval_ms = timer_interval_ms;
    settings.out_buffer = out_buffer;
    VirtualPortTiming timing;
    timing.line_rate = 3491;
    linktest::SimRig rig(settings, timing);
    Wire wire;
    link::TracingPort traced(rig.port, rig.clock, wire);
    link::LinkSession session(traced, rig.clock, rig.settings, rig.fs, rig.ui, rig.progress);
    std::string error;
    if (c.fault[0] != '\0') {
        rig.sim.add_fault(*sim::parse_fault(c.fault, error));
    }
    // Sends go out as A and B, receives fetch ONE and TWO, as the recording was made.
    const bool send = c.send;
    const std::vector<std::string> files = {send ? "a.g6p" : "one.g6p", send ? "b.g6p" : "two.g6p"};
    const std::tuple<const char*, std::size_t, int> items[] = {
        {send ? "A" : "ONE", c.first_bytes, send ? 3 : 1},
        {send ? "B" : "TWO", send ? 50 : 90, send ? 4 : 2}};
    std::map<std::string, Bytes> whole;
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& [name, size, seed] = items[i];
        const Bytes body = pattern(size, static_cast<std::uint8_t>(seed));
        const Bytes image = linktest::file_image('p', calc_name(name), "", body);
        if (send) {
            rig.fs.files[files[i]] = image;
        } else {
            linktest::put_program(rig.sim, name, body);
            whole["in/" + files[i]] = image;
        }
    }
    const link::LinkOutcome outcome =
        send ? session.send(files) : session.receive(linktest::choose(files), "in");
    for (const auto& [path, bytes] : rig.fs.files) {
        EXPECT_TRUE(c.send || (whole.count(path) && whole.at(path) == bytes)) << path;
    }
    EXPECT_TRUE(c.send || !outcome.ok || rig.fs.files == whole);
    EXPECT_FALSE(rig.port.is_open());
    wire.code = outcome.ok ? -1 : outcome.code;
    return wire;
}

// "= NAME -> CODE" opens a case; "> .." and "< .." lines carry its bytes.
std::map<std::string, Wire> read_golden() {
    std::map<std::string, Wire> cases;
    std::ifstream in(std::string(TRAVEX_SOURCE_DIR) + "/tests/integration/golden/link_wire.txt");
    Wire* current = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("= ", 0) == 0) {
            const std::size_t arrow = line.rfind(" -> ");
            current = &cases[line.substr(2, arrow - 2)];
            current->code = std::stoi(line.substr(arrow + 4));
        } else if (current != nullptr && !line.empty()) {
            std::istringstream hex(line.substr(1));
            for (unsigned value = 0; hex >> std::hex >> value;) {
                (line[0] == '>' ? current->out : current->in).push_back(std::uint8_t(value));
            }
        }
    }
    return cases;
}

TEST(LinkWireGolden, EveryCaseAtEveryProfileReplaysTheRecordedBytes) {
    const std::map<std::string, Wire> golden = read_golden();
    ASSERT_EQ(golden.size(), std::size(kCases));
    EXPECT_GT(golden.at("send 2000 clean").out.size(), 2000u + 90u) << "whole transfers recorded";
    EXPECT_GT(golden.at("receive 2000 clean").in.size(), 2000u + 90u);
    for (const Case& c : kCases) {
        const Wire& want = golden.at(c.name());
        for (const auto& [timer, buffer] : {std::pair{100, 30}, {10, 4096}}) {
            SCOPED_TRACE(c.name() + " at timer " + std::to_string(timer));
            const Wire wire = run_case(c, timer, buffer);
            EXPECT_EQ(wire.code, want.code);
            EXPECT_EQ(wire.out, want.out) << "computer to calculator";
            EXPECT_EQ(wire.in, want.in) << "calculator to computer";
        }
    }
}

}  // namespace
}  // namespace travex
