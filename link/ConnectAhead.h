#pragma once

#include "link/NetConnect.h"
#include "link/PortFactory.h"

#include <functional>
#include <memory>
#include <string>

namespace t8 {

// Network connections made before the link opens their address, on a thread of their own, so a
// host that does not answer never holds the caller's thread for the connect's time limit. The
// ports of Ports() take the connection ready for their address (or its failure) instead of
// connecting again. Start, Ports' ports and the destructor: the caller's thread; `done`: the
// connecting thread, never after the destructor began, and only to hand the news on (a queued
// call): it runs under the lock that Start and the ports take.
class ConnectAhead {
public:
    ConnectAhead();
    ConnectAhead(const ConnectAhead&) = delete;
    ConnectAhead& operator=(const ConnectAhead&) = delete;
    ~ConnectAhead();

    // True while the connection to the network address is being made (started now, `done`
    // called when it is ready); false for a device path and when the connection is ready.
    bool Start(const std::string& address, std::function<void()> done);
    // The ports of `inner`, a network one given the connection ready for its address.
    [[nodiscard]] PortFactory Ports(PortFactory inner) const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared;
};

} // namespace t8
