// The wire trace: a transfer recorded through TracingPort and played back into a fresh engine
// without the calculator gives the same outcome and the same bytes on the wire.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/trace_file.h"
#include "link/tracing_port.h"
#include "link_test_support.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::file_image;
using linktest::pattern;

class MemoryTrace final : public link::TraceSink {
public:
    void write_line(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Plays a trace back as the calculator's side: each read gets the next recorded read, once the
// engine has written everything that came before it; each write must be the recorded one.
class ReplayPort final : public SerialPort {
public:
    explicit ReplayPort(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            const auto parsed = link::parse_trace_line(line);
            EXPECT_TRUE(parsed) << line;
            if (parsed && parsed->direction != ':') {
                events_.push_back(*parsed);
            }
        }
    }
    PortOpenResult OpenLinkPort(int) override {
        open_ = true;
        return PortOpenResult::ok;
    }
    bool CloseLinkPort() override {
        open_ = false;
        return true;
    }
    bool is_open() const override { return open_; }
    PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) override {
        if (events_.empty() || events_.front().direction != '>' ||
            events_.front().bytes != Bytes(bytes.begin(), bytes.end())) {
            ++mismatches;
        } else {
            events_.pop_front();
        }
        return {PortWriteStatus::all_written, bytes.size()};
    }
    PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) override {
        if (events_.empty() || events_.front().direction != '<') {
            return {PortReadStatus::received, 0, 0};
        }
        Bytes& next = events_.front().bytes;
        const std::size_t n = std::min(next.size(), buffer.size());
        std::copy_n(next.begin(), n, buffer.begin());
        next.erase(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(n));
        if (next.empty()) {
            events_.pop_front();
        }
        return {PortReadStatus::received, n, 0};
    }
    bool PurgeLinkPort() override { return true; }
    std::size_t ClearLinkErrors() override { return 0; }
    bool SetLinkBaud(std::uint32_t) override { return true; }

    std::size_t left() const { return events_.size(); }
    int mismatches = 0;

private:
    std::deque<link::TraceLine> events_;
    bool open_ = false;
};

TEST(LinkTrace, LinesCarryTimeDirectionBytesAndStepAndParseBack) {
    linktest::SimRig rig;
    MemoryTrace trace;
    link::TracingPort traced(rig.port, rig.clock, trace);
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(300, 1));
    link::LinkSession session(traced, rig.clock, rig.settings, rig.fs, rig.ui, rig.progress);
    traced.set_step_source([&session] { return link::engine_step_name(session.engine()); });
    ASSERT_TRUE(session.send({"a.g6p"}).ok);
    ASSERT_GT(trace.lines.size(), 10u);
    EXPECT_EQ(trace.lines.front().substr(0, 22), "000001000 : open 1 ok ");
    std::size_t written = 0;
    std::size_t read = 0;
    for (const std::string& line : trace.lines) {
        EXPECT_NE(line.find("  | step "), std::string::npos) << line;
        const auto parsed = link::parse_trace_line(line);
        ASSERT_TRUE(parsed) << line;
        (parsed->direction == '>' ? written : read) += parsed->bytes.size();
    }
    EXPECT_EQ(written, rig.port.stats().bytes_written);
    EXPECT_EQ(read, rig.port.stats().bytes_read);
    EXPECT_FALSE(link::parse_trace_line("000000001 > 3"));
    EXPECT_FALSE(link::parse_trace_line("000000001 > 31 3G"));
    EXPECT_FALSE(link::parse_trace_line("x > 31"));
    EXPECT_FALSE(link::parse_trace_line("000000001 ? 31"));
}

TEST(LinkTrace, RecordedSendAndReceivePlayBackIntoTheEngine) {
    MemoryTrace trace;
    linktest::SimRig rig;
    {
        link::TracingPort traced(rig.port, rig.clock, trace);
        rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(2000, 3));
        link::LinkSession session(traced, rig.clock, rig.settings, rig.fs, rig.ui, rig.progress);
        ASSERT_TRUE(session.send({"a.g6p"}).ok);
        std::vector<link::ReceiveItem> items;
        ASSERT_TRUE(session.list(items).ok);
        ASSERT_FALSE(items.empty());
    }
    ReplayPort replay(trace.lines);
    VirtualClock clock;
    testing::FaultFileSystem fs;
    fs.files = rig.fs.files;
    linktest::ScriptedUi ui;
    link::CountingProgress progress;
    link::LinkSession session(replay, clock, rig.settings, fs, ui, progress);
    EXPECT_TRUE(session.send({"a.g6p"}).ok);
    std::vector<link::ReceiveItem> items;
    EXPECT_TRUE(session.list(items).ok);
    EXPECT_FALSE(items.empty());
    EXPECT_EQ(replay.mismatches, 0);
    EXPECT_EQ(replay.left(), 0u) << "the whole trace was played";
}

// The trace file is what a user attaches after a transfer went wrong, perhaps one that ended
// with the program: every line is in the file as soon as it is written, not when it closes.
TEST(LinkTrace, TraceFileHoldsEachLineAtOnceAndRefusesAPathItCannotWrite) {
    const std::string path = ::testing::TempDir() + "travex_trace_file_test.txt";
    {
        auto file = link::TraceFile::create(path);
        ASSERT_TRUE(file);
        file->write_line("000000001 : open 1 ok");
        file->write_line("000000002 > 31 31 41 00 A3  | step 0 send 41");
        std::ifstream in(path);
        std::string first;
        std::string second;
        std::getline(in, first);
        std::getline(in, second);
        EXPECT_EQ(first, "000000001 : open 1 ok");
        EXPECT_EQ(second, "000000002 > 31 31 41 00 A3  | step 0 send 41");
    }
    // A new run of the program starts the file afresh.
    {
        auto file = link::TraceFile::create(path);
        ASSERT_TRUE(file);
        file->write_line("x");
    }
    std::ifstream again(path);
    std::string only;
    std::getline(again, only);
    EXPECT_EQ(only, "x");
    EXPECT_FALSE(std::getline(again, only));
    EXPECT_FALSE(link::TraceFile::create(::testing::TempDir() + "no_such_folder/trace.txt"));
}

}  // namespace
}  // namespace travex
