#include "link/link_scripts.h"

#include "link/link_packets.h"

namespace travex::link {
namespace {

constexpr StepKind S = StepKind::send;
constexpr StepKind R = StepKind::receive;
constexpr StepKind E = StepKind::end_ok;

constexpr LinkStep kHelloScript[] = {{kHello, S}, {kAck, R}, {0x00, E}};

constexpr LinkStep kDirectoryList[] = {
    {kDirectoryRequest, S},
    {kAck, R},
    {kBlockCurrentName, S},
    {kAck, R},
    {answer_of(kDirectoryRequest), R},
    {kAck, S},
    {kBlockCategoryEcho, R},
    {kAck, S},
    {kBlockDirectory, R},
    {kAck, S},
    {0x00, E},
};

constexpr LinkStep kNamedItemReceive[] = {
    {kItemRequest, S},
    {kAck, R},
    {kBlockCurrentName, S},
    {kAck, R},
    {kBlockRequestedName, S},
    {kAck, R},
    {answer_of(kItemRequest), R},
    {kAck, S},
    {kBlockItemInfo, R},
    {kAck, S},
    {kBlockItem, R},
    {kAck, S},
    {0x00, E},
};

constexpr LinkStep kSetupItemReceive[] = {
    {kScriptParameter, S},
    {kAck, R},
    {kScriptParameterAnswer, R},
    {kAck, S},
    {kBlockLength, R},
    {kAck, S},
    {kBlockSetupData, R},
    {kAck, S},
    {0x00, E},
};

constexpr LinkStep kNamedFileSend[] = {
    {kNamedFileAnnouncement, S},
    {kAck, R},
    {kBlockNameAndLength, S},
    {kAck, R},
    {kBlockData, S},
    {kAck, R},
    {0x00, E},
};

constexpr LinkStep kSetupItemSend[] = {
    {kScriptParameter, S}, {kAck, R}, {kBlockLength, S}, {kAck, R},
    {kBlockData, S},       {kAck, R}, {0x00, E},
};

constexpr LinkStep kScreenCapture[] = {
    {kHello, S},
    {kAck, R},
    {kScreenRequest, S},
    {kAck, R},
    {answer_of(kScreenRequest), R},
    {kAck, S},
    {kBlockScreenInfo, R},
    {kAck, S},
    {kBlockScreen, R},
    {kAck, S},
    {0x00, E},
};

constexpr LinkStep kGoodbyeScript[] = {{kGoodbye, S}, {0x00, E}};

}  // namespace

std::span<const LinkStep> script_table(ScriptId id) {
    switch (id) {
        case ScriptId::hello:
            return kHelloScript;
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
            return kGoodbyeScript;
    }
    return kGoodbyeScript;
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
