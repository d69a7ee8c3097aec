#include "link/port_probe.h"

#include <algorithm>

#include "link/serial_line.h"

namespace travex {

std::optional<int> port_number_of_device_name(std::string_view name) {
    if (name.size() <= 3) {
        return std::nullopt;
    }
    name.remove_prefix(3);
    int number = 0;
    std::size_t digits = 0;
    for (char c : name) {
        if (c < '0' || c > '9') {
            break;
        }
        number = number * 10 + (c - '0');
        if (number > kLastPortNumber) {
            return std::nullopt;  // ports 100 and above are never offered
        }
        ++digits;
    }
    if (digits == 0 || !is_valid_port_number(number)) {
        return std::nullopt;
    }
    return number;
}

std::vector<int> usable_port_numbers(std::span<const std::string> names) {
    std::vector<int> numbers;
    for (const std::string& name : names) {
        if (auto number = port_number_of_device_name(name)) {
            numbers.push_back(*number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::optional<int> displayed_port(std::span<const int> ports, int current_port) {
    if (ports.empty()) {
        return std::nullopt;
    }
    if (std::find(ports.begin(), ports.end(), current_port) != ports.end()) {
        return current_port;
    }
    return *std::min_element(ports.begin(), ports.end());
}

PortProbe::PortProbe(std::vector<int> ports, int saved_port)
    : ports_(std::move(ports)), saved_port_(saved_port) {
    finished_ = ports_.empty();
}

int PortProbe::progress_step() const {
    if (ports_.empty()) {
        return 0;
    }
    return kProbeProgressRange / static_cast<int>(ports_.size()) / 35;
}

PortProbe::Next PortProbe::report(bool answered, bool abort_requested) {
    if (finished_) {
        return found_ ? Next::found : Next::exhausted;
    }
    if (answered) {
        progress_ = kProbeProgressRange;
        finished_ = true;
        found_ = true;
        return Next::found;
    }
    if (index_ + 1 < ports_.size() && !abort_requested) {
        progress_ =
            kProbeProgressRange / static_cast<int>(ports_.size()) * static_cast<int>(index_ + 1);
        ++index_;
        return Next::probe;
    }
    if (!abort_requested) {
        progress_ = kProbeProgressRange;
    }
    finished_ = true;
    return Next::exhausted;
}

std::optional<int> probe_ports(std::span<const int> ports, const ProbeOnePort& probe,
                               const std::function<bool()>& abort_requested) {
    PortProbe run(std::vector<int>(ports.begin(), ports.end()), 0);
    PortProbe::Next next = run.start();
    while (next == PortProbe::Next::probe) {
        const bool answered = probe(run.current_port());
        next = run.report(answered, abort_requested && abort_requested());
    }
    if (next == PortProbe::Next::found) {
        return run.current_port();
    }
    return std::nullopt;
}

}  // namespace travex
