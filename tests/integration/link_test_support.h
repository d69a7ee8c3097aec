#pragma once
// Shared pieces of the link tests: scripted answers to the transfer questions, calculator file
// images, and a session wired to the simulated calculator.
#include <algorithm>
#include <string>
#include <vector>

#include "link/link_session.h"
#include "link/virtual_port.h"
#include "sim/sim_calculator.h"
#include "tests/unit/fault_file_system.h"

namespace travex::linktest {

class ScriptedUi final : public FileQuestions {
public:
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::skip; }
    OverwriteAnswer ask_overwrite(std::string_view path) override {
        overwrite_questions.push_back(std::string(path));
        return overwrite_answer;
    }
    void report(MessageId) override {}
    OverwriteAnswer overwrite_answer = OverwriteAnswer::skip;
    std::vector<std::string> overwrite_questions;
};

inline Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) {
        b[i] = static_cast<std::uint8_t>(seed + i * 13 + (i >> 7));
    }
    return b;
}

// A name as the calculator keeps it: the text, then 0xFF bytes.
inline link::ItemName calc_name(std::string_view text) {
    link::ItemName name;
    name.fill(0xFF);
    std::copy_n(text.begin(), std::min(text.size(), name.size()), name.begin());
    return name;
}

// A calculator file image: header (model digit '6', type letter, name, title) and body. Sized
// for the body at once: GCC 12 at -O2 misreads a vector insert after the header as a write out
// of bounds.
inline Bytes file_image(char letter, const link::ItemName& name, std::string_view title,
                        const Bytes& body) {
    Bytes image(link::kFileHeaderLength + body.size(), 0);
    image[0] = '6';
    image[1] = static_cast<std::uint8_t>(letter);
    std::copy(name.begin(), name.end(), image.begin() + 2);
    std::copy_n(title.begin(), std::min<std::size_t>(title.size(), 40), image.begin() + 13);
    std::copy(body.begin(), body.end(), image.begin() + link::kFileHeaderLength);
    return image;
}

// A program on the calculator: its reply payload is a status byte and then the body.
inline void put_program(sim::SimCalculator& sim, std::string_view name, const Bytes& body) {
    Bytes reply{0x00};
    reply.insert(reply.end(), body.begin(), body.end());
    sim.memory().put_named(link::make_name("PROGRAM"), calc_name(name), reply);
}

// A receive chooser that takes the listed items of the given file names, in list order.
inline auto choose(std::vector<std::string> names) {
    return [names](const std::vector<link::ReceiveItem>& all) {
        std::vector<link::ReceiveItem> out;
        std::ranges::copy_if(all, std::back_inserter(out), [&](const auto& i) {
            return std::ranges::find(names, i.line_text) != names.end();
        });
        return out;
    };
}

struct SimRig {
    explicit SimRig(link::LinkSettings s = {}, VirtualPortTiming timing = {})
        : settings(s),
          port(clock, &sim, timing),
          session(port, clock, settings, fs, ui, progress) {}
    VirtualClock clock;
    sim::SimCalculator sim;
    link::LinkSettings settings;
    VirtualPort port;
    testing::FaultFileSystem fs;
    ScriptedUi ui;
    link::CountingProgress progress;
    link::LinkSession session;
};

}  // namespace travex::linktest
