#pragma once

#include "link/DeviceIdentity.h"
#include "link/DeviceWatch.h"
#include "link/RetryBackoff.h"

#include <cstdint>
#include <functional>
#include <string>

namespace t8 {

// Brings a lost device back: when the watch reports a change where the device lives, opens it
// by its identity; since a node can appear before udev lets us open it (or while a program that
// probes new devices holds it), it tries again on a short timer a few times, then waits for the
// next event. It owns no timer: the owner runs one while RetryPending() and calls
// OnRetryTimer(), and calls OnWatchEvent() when Fd() is readable. A network address has no file
// events: it is tried on the retry timer with a growing wait between attempts (RetryBackoff).
class Reconnector {
public:
    static constexpr int kRetryMs = 250;
    static constexpr int kRetries = 12; // three seconds of retries after an event
    // Opens the device at the path with the link's settings; true when it is connected again.
    using TryOpen = std::function<bool(const std::string& path)>;

    // Milliseconds of a steady clock; tests give a manual one.
    using ClockMs = std::function<std::uint64_t()>;

    explicit Reconnector(TryOpen tryOpen, ClockMs clockMs = {});

    [[nodiscard]] int Fd() const { return watch.Fd(); }
    // The device is gone: wait for it. False when the system cannot tell of its return.
    bool Await(const DeviceIdentity& identity);
    // Waits no longer (an explicit close, or the operator switched the option off).
    void Cancel();
    [[nodiscard]] bool Awaiting() const { return awaiting; }
    [[nodiscard]] const DeviceIdentity& Awaited() const { return identity; }
    // Fd() is readable. True when the device was opened again.
    bool OnWatchEvent();
    // The retry timer fired. True when the device was opened again.
    bool OnRetryTimer();
    [[nodiscard]] bool RetryPending() const {
        return awaiting && (retriesLeft > 0 || backoff.Active());
    }
    // The next OnRetryTimer tries to open the device now, not only later.
    [[nodiscard]] bool RetryDue() const {
        return RetryPending() && (!backoff.Active() || backoff.Due(clockMs()));
    }

private:
    bool Attempt();
    bool OnBackoffTimer();

    TryOpen tryOpen;
    ClockMs clockMs;
    RetryBackoff backoff;
    DeviceWatch watch;
    DeviceIdentity identity;
    bool awaiting = false;
    int retriesLeft = 0;
};

} // namespace t8
