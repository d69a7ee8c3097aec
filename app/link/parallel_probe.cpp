#include "link/parallel_probe.h"

#include <system_error>
#include <thread>

#include "link/serial_line.h"

namespace travex::link {

std::vector<bool> probe_all_at_once(std::size_t count, const ProbeAt& probe) {
    // One flag per thread: std::vector<bool> packs its flags and may not be written from
    // several threads at once.
    std::vector<char> answered(count, 0);
    const ManyLinkPorts allowance(static_cast<int>(count));
    {
        std::vector<std::thread> threads;
        threads.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            try {
                threads.emplace_back([&probe, &answered, i] { answered[i] = probe(i) ? 1 : 0; });
            } catch (const std::system_error&) {
                // No thread to be had: this port is probed here, after the ones already running.
                answered[i] = probe(i) ? 1 : 0;
            }
        }
        for (std::thread& t : threads) {
            t.join();
        }
    }
    return std::vector<bool>(answered.begin(), answered.end());
}

}  // namespace travex::link
