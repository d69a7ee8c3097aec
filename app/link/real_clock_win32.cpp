#include <windows.h>

#include "link/real_clock.h"

namespace travex {
namespace {

// The tick count and Sleep that the link timer and the port's polling loops use.
class TickClock final : public Clock {
public:
    std::uint64_t now_ms() override { return GetTickCount64(); }
    void sleep_ms(std::uint32_t ms) override { Sleep(ms); }
};

}  // namespace

Clock& real_clock() {
    static TickClock instance;
    return instance;
}

}  // namespace travex
