#pragma once
// The tick count: milliseconds since some start, wrapping at 2^32 as the
// system's tick count does. Compare ticks with TickPassed, never with "<".

#include <chrono>
#include <cstdint>
#include <thread>

namespace platform {

inline uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Whether the tick now has passed the tick due, across a wrap.
inline bool TickPassed(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) > 0; }

inline void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
