#pragma once
// Faults the simulated calculator can be told to make, parsed from short texts such as
// "checksum:3" (bad checksum on its third reply), "nak:2", "silence", "id1", "id2",
// "cancel82", "cancel83", "memfull", "truncate:4".
#include <optional>
#include <string>
#include <string_view>

namespace travex::sim {

enum class FaultKind {
    bad_checksum,  // the reply's first packet carries a wrong checksum
    nak,           // a negative acknowledgement instead of the reply
    silence,       // no reply from then on
    wrong_id1,     // the reply's first packet has a wrong first identifier byte
    wrong_id2,     // ... a wrong second identifier byte
    cancel82,      // 0x82 instead of the reply
    cancel83,      // 0x83 instead of the reply
    memory_full,   // 0x84 instead of the reply (by default: when an item would be stored)
    truncate,      // only the first part of the reply's first packet, then nothing
};

struct Fault {
    FaultKind kind;
    // The reply (counted from 1 over the whole session) the fault hits; 0 for memory_full
    // means "when an item would be stored".
    int at = 1;
};

std::optional<Fault> parse_fault(std::string_view spec, std::string& error);

}  // namespace travex::sim
