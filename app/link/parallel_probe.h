#pragma once
// The port search of travex-cli: every candidate port is probed at the same time, each on its
// own thread with its own port, so a search over several silent ports takes as long as one
// silent port's hello takes to give up, not as long as all of them one after another.
// (The Auto Setting of the port dialog keeps its one-port-at-a-time probe.)
#include <cstddef>
#include <functional>
#include <vector>

namespace travex::link {

// Probe of one port by its position in the list: true when a calculator answered there.
using ProbeAt = std::function<bool(std::size_t position)>;

// Runs probe(0) .. probe(count - 1) at once and answers, by position, which ones answered.
// Every port may be held at the same time while the probes run.
std::vector<bool> probe_all_at_once(std::size_t count, const ProbeAt& probe);

}  // namespace travex::link
