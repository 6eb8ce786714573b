#pragma once

#include <chrono>
#include <optional>

namespace t8 {

// Lets a flood of bell characters ring the bell now and then instead of once per byte, which
// would keep the window's thread busy beeping.
class BellLimiter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kMinInterval{100};

    // True when a bell asked for at `now` may ring: the first one, then one per interval.
    [[nodiscard]] bool Ring(Clock::time_point now);

private:
    std::optional<Clock::time_point> lastRung;
};

} // namespace t8
