#include "link/Reconnector.h"

#include <utility>
#include <vector>

namespace t8 {

Reconnector::Reconnector(TryOpen tryOpen_) : tryOpen(std::move(tryOpen_)) {}

bool Reconnector::Await(const DeviceIdentity& identity_) {
    identity = identity_;
    retriesLeft = 0;
    awaiting = false;
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
    // a stale link to a reused pty number leads to another program's terminal: never open it
    if (!SameDeviceAt(identity, identity.ReopenPath()) || !tryOpen(identity.ReopenPath())) {
        return false;
    }
    Cancel();
    return true;
}

} // namespace t8
