#pragma once

#include <cstdint>

namespace t8 {

// When to try a connection again that has no file events to wait on (a network port): first
// after kFirstMs, then after twice the last wait each time, never more than kLongestMs apart.
// Driven by the owner's timer with milliseconds of one clock.
class RetryBackoff {
public:
    static constexpr std::uint64_t kFirstMs = 1000;
    static constexpr std::uint64_t kLongestMs = 30000;

    void Start(std::uint64_t nowMs);
    void Stop() { active = false; }
    [[nodiscard]] bool Active() const { return active; }
    // An attempt is due now.
    [[nodiscard]] bool Due(std::uint64_t nowMs) const { return active && nowMs >= dueMs; }
    // The attempt made at nowMs failed: the next one waits longer.
    void Failed(std::uint64_t nowMs);
    [[nodiscard]] std::uint64_t WaitMs() const { return waitMs; }

private:
    bool active = false;
    std::uint64_t waitMs = kFirstMs;
    std::uint64_t dueMs = 0;
};

} // namespace t8
