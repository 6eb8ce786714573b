#pragma once

#include "link/LinkError.h"

#include <cstdint>
#include <string>

namespace t8 {

// A TCP connection made within a time limit, whatever the name service or the network do: the
// name is looked up on a thread of its own (a stuck lookup is left behind, never waited for)
// and each address is tried with a non-blocking connect.
struct Connection {
    int fd = -1; // non-blocking, close-on-exec; -1 on failure
    LinkError error;
};

inline constexpr int kConnectLimitMs = 5000;

[[nodiscard]] Connection ConnectTcp(const std::string& host, std::uint16_t port,
                                    int limitMs = kConnectLimitMs);

} // namespace t8
