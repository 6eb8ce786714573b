#include "link/Reconnector.h"

#include "link/NetAddress.h"

#include <chrono>
#include <utility>
#include <vector>

namespace t8 {

namespace {

std::uint64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

Reconnector::Reconnector(TryOpen tryOpen_, ClockMs clockMs_)
    : tryOpen(std::move(tryOpen_)), clockMs(std::move(clockMs_)) {
    if (!clockMs) {
        clockMs = SteadyMilliseconds;
    }
}

bool Reconnector::Await(const DeviceIdentity& identity_) {
    identity = identity_;
    retriesLeft = 0;
    awaiting = false;
    backoff.Stop();
    if (IsNetworkAddress(identity.namedPath)) {
        watch.Stop();
        backoff.Start(clockMs());
        awaiting = true;
        return true;
    }
    if (!CanComeBack(identity)) {
        return false; // a pty named by its number: that number will be another's
    }
    // the by-id link names the adapter; the named path and the old node cover a link to a pty
    // and a device without a stable name (a pty's node is never the device again)
    std::vector<std::string> paths{identity.namedPath};
    for (const std::string* path : {&identity.byIdLink, &identity.node}) {
        if (!path->empty() && *path != identity.namedPath &&
            !(identity.pty && path == &identity.node)) {
            paths.push_back(*path);
        }
    }
    awaiting = watch.Watch(paths);
    return awaiting;
}

void Reconnector::Cancel() {
    awaiting = false;
    retriesLeft = 0;
    backoff.Stop();
    watch.Stop();
}

bool Reconnector::OnWatchEvent() {
    if (!watch.Check() || !awaiting) {
        return false;
    }
    if (Attempt()) {
        return true;
    }
    retriesLeft = kRetries;
    return false;
}

bool Reconnector::OnRetryTimer() {
    if (!RetryPending()) {
        return false;
    }
    if (backoff.Active()) {
        return OnBackoffTimer();
    }
    --retriesLeft;
    return Attempt();
}

bool Reconnector::OnBackoffTimer() {
    const std::uint64_t now = clockMs();
    if (!backoff.Due(now)) {
        return false;
    }
    if (Attempt()) {
        return true;
    }
    backoff.Failed(clockMs()); // counted from the attempt's end: a slow refusal is no retry storm
    return false;
}

bool Reconnector::Attempt() {
    // a stale link to a reused pty number leads to another program's terminal: never open it
    if (!SameDeviceAt(identity, identity.ReopenPath()) || !tryOpen(identity.ReopenPath())) {
        return false;
    }
    Cancel();
    return true;
}

} // namespace t8
