#include <chrono>
#include <thread>

#include "link/real_clock.h"

namespace travex {
namespace {

class SteadyClock final : public Clock {
public:
    std::uint64_t now_ms() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    void sleep_ms(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

}  // namespace

Clock& real_clock() {
    static SteadyClock instance;
    return instance;
}

}  // namespace travex
