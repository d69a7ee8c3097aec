// The link engine fed arbitrary calculator bytes: whatever arrives, at whatever step, the
// operation ends, stays inside its buffers and leaves the port closed.
#include "fuzz_check.h"
#include "link/link_session.h"
#include "link/virtual_port.h"
#include "tests/unit/fault_file_system.h"

namespace {

using namespace travex;

// Answers every write of the computer with the next piece of the input.
class FuzzPeer final : public PortPeer {
public:
    explicit FuzzPeer(std::span<const std::uint8_t> input) : input_(input) {}
    Bytes on_receive(std::span<const std::uint8_t>) override {
        if (input_.empty()) {
            return {};
        }
        const std::size_t n = std::min<std::size_t>(1 + input_[0] % 24, input_.size() - 1);
        Bytes out(input_.begin() + 1, input_.begin() + 1 + static_cast<std::ptrdiff_t>(n));
        input_ = input_.subspan(1 + n);
        return out;
    }

private:
    std::span<const std::uint8_t> input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    link::LinkSettings settings;
    settings.retry_count = 2 + data[1] % 6;
    settings.out_buffer = 1 + (data[1] >> 3) * 8;
    FuzzPeer peer(std::span(data + 2, size - 2));
    VirtualClock clock;
    VirtualPortTiming timing;
    timing.line_rate = 0;
    VirtualPort port(clock, &peer, timing);
    testing::FaultFileSystem fs;
    for (const auto& [name, body] : {std::pair{"p.g6p", 40}, {"z.g6z", 324}, {"v.g6v", 20}}) {
        Bytes image(54 + body, 0x41);
        image[0] = '6';
        image[1] = static_cast<std::uint8_t>(name[4]);
        fs.files[name] = image;
    }
    fuzz::AnswerInTurn ui;
    link::CountingProgress progress;
    link::LinkSession session(port, clock, settings, fs, ui, progress);
    std::vector<link::ReceiveItem> items;
    Bytes screen;
    // Up to four items of whatever list the calculator gave.
    const auto first_four = [](const std::vector<link::ReceiveItem>& all) {
        return std::vector(all.begin(), all.begin() + std::min<long>(all.size(), 4));
    };
    const std::function<void()> operations[] = {[&] { session.list(items); },
                                                [&] {
                                                    session.send({"p.g6p", "z.g6z", "v.g6v"});
                                                },
                                                [&] { session.receive(first_four, "in"); },
                                                [&] { session.capture(screen); },
                                                [&] { session.probe(); }};
    operations[data[0] % 5]();
    travex::fuzz::fail_if(port.is_open());
    return 0;
}
