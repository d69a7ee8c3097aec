#include "sim/sim_faults.h"

#include <array>
#include <charconv>
#include <utility>

namespace travex::sim {

std::optional<Fault> parse_fault(std::string_view spec, std::string& error) {
    static constexpr std::array<std::pair<std::string_view, FaultKind>, 9> kNames = {{
        {"checksum", FaultKind::bad_checksum},
        {"nak", FaultKind::nak},
        {"silence", FaultKind::silence},
        {"id1", FaultKind::wrong_id1},
        {"id2", FaultKind::wrong_id2},
        {"cancel82", FaultKind::cancel82},
        {"cancel83", FaultKind::cancel83},
        {"memfull", FaultKind::memory_full},
        {"truncate", FaultKind::truncate},
    }};
    const std::size_t colon = spec.find(':');
    const std::string_view name = spec.substr(0, colon);
    for (const auto& [text, kind] : kNames) {
        if (name != text) {
            continue;
        }
        Fault fault{kind, kind == FaultKind::memory_full ? 0 : 1};
        if (colon != std::string_view::npos) {
            const std::string_view number = spec.substr(colon + 1);
            int at = 0;
            const auto [end, ec] =
                std::from_chars(number.data(), number.data() + number.size(), at);
            if (ec != std::errc{} || end != number.data() + number.size() || at < 1) {
                error = "bad fault count in \"" + std::string(spec) + "\"";
                return std::nullopt;
            }
            fault.at = at;
        }
        return fault;
    }
    error = "unknown fault \"" + std::string(spec) +
            "\" (checksum:N, nak:N, silence[:N], id1[:N], id2[:N], cancel82[:N], cancel83[:N], "
            "memfull[:N], truncate:N)";
    return std::nullopt;
}

}  // namespace travex::sim
