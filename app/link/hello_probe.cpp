#include "link/hello_probe.h"

namespace travex::link {
namespace {

class ProbeEvents final : public LinkEvents {
public:
    void probe_answered() override { answered = true; }
    void operation_failed(LinkOperation, int failure) override {
        failed = true;
        code = failure;
    }
    bool answered = false;
    bool failed = false;
    int code = 0;
};

}  // namespace

HelloProbeResult probe_with_hello(SerialPort& port, int port_number, LinkSettings settings,
                                  Clock& clock, const std::function<bool()>& abort_requested) {
    settings.port_number = port_number;
    ProbeEvents events;
    CountingProgress progress;
    LinkEngine engine(port, settings, events, progress);
    if (const int code = engine.start_operation(LinkOperation::probe); code != 0) {
        return {false, code};
    }
    const std::uint32_t interval = settings.timer_interval_ms > 0
                                       ? static_cast<std::uint32_t>(settings.timer_interval_ms)
                                       : 100u;
    bool abort_sent = false;
    while (engine.timer_armed()) {
        clock.sleep_ms(interval);
        if (!abort_sent && abort_requested && abort_requested()) {
            engine.request_abort(true);
            abort_sent = true;
        }
        engine.on_timer();
    }
    // A port left open by an unexpected end would block every later probe.
    if (port.is_open()) {
        port.CloseLinkPort();
    }
    return {events.answered, events.answered ? 0 : events.code};
}

}  // namespace travex::link
