#include "link/link_scripts.h"

namespace travex::link {
namespace {

constexpr StepKind S = StepKind::send;
constexpr StepKind R = StepKind::receive;
constexpr StepKind E = StepKind::end_ok;

constexpr LinkStep kHello[] = {{0x42, S}, {0x01, R}, {0x00, E}};

constexpr LinkStep kDirectoryList[] = {
    {0x61, S}, {0x01, R}, {0x10, S}, {0x01, R}, {0x21, R}, {0x01, S},
    {0x19, R}, {0x01, S}, {0x18, R}, {0x01, S}, {0x00, E},
};

constexpr LinkStep kNamedItemReceive[] = {
    {0x62, S}, {0x01, R}, {0x10, S}, {0x01, R}, {0x11, S}, {0x01, R}, {0x22, R},
    {0x01, S}, {0x20, R}, {0x01, S}, {0x15, R}, {0x01, S}, {0x00, E},
};

constexpr LinkStep kSetupItemReceive[] = {
    {kScriptParameter, S},
    {0x01, R},
    {kScriptParameterAnswer, R},
    {0x01, S},
    {0x30, R},
    {0x01, S},
    {0x31, R},
    {0x01, S},
    {0x00, E},
};

constexpr LinkStep kNamedFileSend[] = {
    {0x22, S}, {0x01, R}, {0x14, S}, {0x01, R}, {0x13, S}, {0x01, R}, {0x00, E},
};

constexpr LinkStep kSetupItemSend[] = {
    {kScriptParameter, S}, {0x01, R}, {0x30, S}, {0x01, R}, {0x13, S}, {0x01, R}, {0x00, E},
};

constexpr LinkStep kScreenCapture[] = {
    {0x42, S}, {0x01, R}, {0x63, S}, {0x01, R}, {0x23, R}, {0x01, S},
    {0x16, R}, {0x01, S}, {0x17, R}, {0x01, S}, {0x00, E},
};

constexpr LinkStep kGoodbye[] = {{0x41, S}, {0x00, E}};

}  // namespace

std::span<const LinkStep> script_table(ScriptId id) {
    switch (id) {
        case ScriptId::hello:
            return kHello;
        case ScriptId::directory_list:
            return kDirectoryList;
        case ScriptId::named_item_receive:
            return kNamedItemReceive;
        case ScriptId::setup_item_receive:
            return kSetupItemReceive;
        case ScriptId::named_file_send:
            return kNamedFileSend;
        case ScriptId::setup_item_send:
            return kSetupItemSend;
        case ScriptId::screen_capture:
            return kScreenCapture;
        case ScriptId::goodbye:
            return kGoodbye;
    }
    return kGoodbye;
}

std::array<LinkStep, kMaxSteps> build_script(ScriptId id, std::uint8_t parameter) {
    std::array<LinkStep, kMaxSteps> steps;
    steps.fill({0x00, StepKind::end_ok});
    const std::span<const LinkStep> table = script_table(id);
    for (std::size_t i = 0; i < table.size() && i < kMaxSteps; ++i) {
        LinkStep step = table[i];
        if (step.command == kScriptParameter) {
            step.command = parameter;
        } else if (step.command == kScriptParameterAnswer) {
            step.command = static_cast<std::uint8_t>(parameter - 0x40);
        }
        steps[i] = step;
    }
    return steps;
}

}  // namespace travex::link
