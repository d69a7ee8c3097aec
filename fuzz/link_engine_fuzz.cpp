// The link engine and the send/receive flow fed arbitrary calculator bytes: whatever arrives,
// at whatever step, the operation must end, stay inside its buffers and leave the port closed.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "link/link_session.h"
#include "link/virtual_port.h"
#include "tests/unit/fault_file_system.h"

namespace {

using namespace travex;

// Answers every byte the computer sends with the next piece of the input.
class FuzzPeer final : public PortPeer {
public:
    FuzzPeer(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    Bytes on_receive(std::span<const std::uint8_t>) override {
        if (at_ >= size_) {
            return {};
        }
        const std::size_t piece = 1 + data_[at_] % 24;
        ++at_;
        const std::size_t n = std::min(piece, size_ - at_);
        Bytes out(data_ + at_, data_ + at_ + n);
        at_ += n;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

class AnswerAll final : public FileQuestions {
public:
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::skip; }
    OverwriteAnswer ask_overwrite(std::string_view) override { return OverwriteAnswer::overwrite; }
    void report(MessageId) override {}
};

Bytes small_file(char letter, std::size_t body) {
    Bytes image(54 + body, 0x41);
    image[0] = '6';
    image[1] = static_cast<std::uint8_t>(letter);
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    link::LinkSettings settings;
    settings.retry_count = 2 + data[1] % 6;
    settings.out_buffer = 1 + (data[1] >> 3) * 8;
    FuzzPeer peer(data + 2, size - 2);
    VirtualClock clock;
    VirtualPortTiming timing;
    timing.line_rate = 0;
    VirtualPort port(clock, &peer, timing);
    testing::FaultFileSystem fs;
    fs.files["p.g6p"] = small_file('p', 40);
    fs.files["z.g6z"] = small_file('z', 324);
    fs.files["v.g6v"] = small_file('v', 20);
    AnswerAll ui;
    link::CountingProgress progress;
    link::LinkSession session(port, clock, settings, fs, ui, progress);
    switch (mode % 5) {
        case 0: {
            std::vector<link::ReceiveItem> items;
            session.list(items);
            break;
        }
        case 1:
            session.send({"p.g6p", "z.g6z", "v.g6v"});
            break;
        case 2:
            session.receive(
                [](const std::vector<link::ReceiveItem>& all) {
                    std::vector<link::ReceiveItem> chosen;
                    for (const auto& item : all) {
                        if (item.form == link::RequestForm::named || item.letter == 'w' ||
                            item.letter == 'm') {
                            chosen.push_back(item);
                        }
                        if (chosen.size() >= 4) {
                            break;
                        }
                    }
                    return chosen;
                },
                "in");
            break;
        case 3: {
            Bytes screen;
            session.capture(screen);
            break;
        }
        default:
            session.probe();
            break;
    }
    travex::fuzz::fail_if(port.is_open());
    return 0;
}
