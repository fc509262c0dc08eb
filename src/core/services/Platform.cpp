#include "services/Platform.h"

#include <chrono>
#include <thread>

namespace rz {

std::int64_t SteadyTicks::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyTicks::sleepMs(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

SteadyTicks& SteadyTicks::instance() {
    static SteadyTicks ticks;
    return ticks;
}

} // namespace rz
