#pragma once
// Finding the calculator: the serial ports that the system knows, and a probe that tries them
// one after another until a calculator answers the hello.
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace travex {

// A serial port as the port list shows it: its link port number and the system's name for it
// ("COM3" on Windows, "/dev/ttyUSB0" on POSIX systems).
struct SerialDevice {
    int number = 0;
    std::string name;
};

// The serial ports of this system, ascending by number (numbers 1..99 only).
std::vector<SerialDevice> system_serial_devices();

// The port number in a device name of the serial device map ("COM3" gives 3): the decimal
// number after the first three characters; names without a number from 1 to 99 give nothing.
std::optional<int> port_number_of_device_name(std::string_view name);

// The usable port numbers of a list of device names, ascending, each once.
std::vector<int> usable_port_numbers(std::span<const std::string> names);

// The port the port dialog shows when it opens: the current one when the system still has it,
// else the lowest port present, else none.
std::optional<int> displayed_port(std::span<const int> ports, int current_port);

// Full scale of the probe's progress bar.
inline constexpr int kProbeProgressRange = 10000;

// Tries a list of ports one after another. Each port's probe opens the port, says hello and
// closes it again; its errors are the probe's business and never reach the user one by one.
class PortProbe {
public:
    // saved_port: the port setting in force before the probe, back in force when none answers.
    PortProbe(std::vector<int> ports, int saved_port);

    enum class Next {
        probe,      // try current_port() now
        found,      // current_port() answered: it becomes the setting
        exhausted,  // no port answered (or the user stopped): the saved port is back in force
    };

    // What to do first: probe the first port, or nothing to try.
    Next start() const { return ports_.empty() ? Next::exhausted : Next::probe; }
    // The outcome of the current port's probe; abort_requested stops before the next port.
    Next report(bool answered, bool abort_requested);

    int current_port() const { return ports_.empty() ? saved_port_ : ports_[index_]; }
    // The port setting in force: the probed port while probing or once found, else the saved one.
    int port_in_force() const { return finished_ && !found_ ? saved_port_ : current_port(); }
    std::size_t index() const { return index_; }
    // Progress bar position after the last report, and the step of each tick while waiting.
    int progress() const { return progress_; }
    int progress_step() const;
    bool finished() const { return finished_; }

private:
    std::vector<int> ports_;
    int saved_port_;
    std::size_t index_ = 0;
    int progress_ = 0;
    bool finished_ = false;
    bool found_ = false;
};

// The probe of one port: true when a calculator answered there. The error code of a failed
// probe (the port could not be opened, the calculator did not answer) is not examined.
using ProbeOnePort = std::function<bool(int port_number)>;

// Runs the probe over the ports in order; the first port that answers, or nothing.
std::optional<int> probe_ports(std::span<const int> ports, const ProbeOnePort& probe,
                               const std::function<bool()>& abort_requested = {});

}  // namespace travex
