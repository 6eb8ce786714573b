#include "link/Reconnector.h"

#include <utility>
#include <vector>

namespace t8 {

Reconnector::Reconnector(TryOpen tryOpen_) : tryOpen(std::move(tryOpen_)) {}

bool Reconnector::Await(const DeviceIdentity& identity_) {
    identity = identity_;
    retriesLeft = 0;
    // the by-id link names the adapter; the named path and the old node cover a pty link and
    // a device without a stable name
    std::vector<std::string> paths{identity.namedPath};
    for (const std::string* path : {&identity.byIdLink, &identity.node}) {
        if (!path->empty() && *path != identity.namedPath) {
            paths.push_back(*path);
        }
    }
    awaiting = !identity.Empty() && watch.Watch(paths);
    return awaiting;
}

void Reconnector::Cancel() {
    awaiting = false;
    retriesLeft = 0;
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
    --retriesLeft;
    return Attempt();
}

bool Reconnector::Attempt() {
    if (!tryOpen(identity.ReopenPath())) {
        return false;
    }
    Cancel();
    return true;
}

} // namespace t8
