#pragma once
// The link scripts: each operation is a chain of these short step tables. A step either sends
// the packet of its command byte, waits for the reply of its command byte, or ends the script.
#include <array>
#include <cstdint>
#include <span>

namespace travex::link {

enum class StepKind : std::uint8_t {
    none = 0,
    send = 1,
    receive = 2,
    end_ok = 3,      // the script finished
    end_quiet = 5,   // the operation was stopped
    end_failed = 6,  // finish with "Communication has failed."
    end_memory = 7,  // finish with "Calculator memory over."
};

struct LinkStep {
    std::uint8_t command;
    StepKind kind;
};

inline constexpr std::size_t kMaxSteps = 16;

// Stand-ins in the tables for the byte a script is run with: the request letter or
// announcement code itself, and that letter's answer code (letter - 0x40).
inline constexpr std::uint8_t kScriptParameter = 0xFF;
inline constexpr std::uint8_t kScriptParameterAnswer = 0xFE;

enum class ScriptId {
    hello,
    directory_list,
    named_item_receive,
    setup_item_receive,
    named_file_send,
    setup_item_send,
    screen_capture,
    goodbye,
};

// The table of a script as written, with the stand-ins.
std::span<const LinkStep> script_table(ScriptId id);

// The script ready to run: the stand-ins replaced by the parameter, the rest of the 16 steps
// filled with end steps.
std::array<LinkStep, kMaxSteps> build_script(ScriptId id, std::uint8_t parameter = 0);

}  // namespace travex::link
