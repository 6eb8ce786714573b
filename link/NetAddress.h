#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace t8 {

// A network port's address: "rfc2217://HOST:PORT" (the line's settings travel with the bytes),
// "tcp://HOST:PORT" or "socket://HOST:PORT" (bytes only). HOST is a name, an IPv4 address or an
// IPv6 address in brackets ("[::1]").
enum class NetProtocol { None, Rfc2217, RawTcp };

struct NetAddress {
    NetProtocol protocol = NetProtocol::None;
    std::string host; // without the brackets of an IPv6 address
    std::uint16_t port = 0;
    std::string problem; // why the address cannot be used, in the operator's words; empty if ok
};

// The protocol an address's scheme names (any case); None for a device path or another scheme.
[[nodiscard]] NetProtocol NetProtocolOf(std::string_view address);
[[nodiscard]] inline bool IsNetworkAddress(std::string_view address) {
    return NetProtocolOf(address) != NetProtocol::None;
}
// Splits a network address; `problem` says what is wrong with one that cannot be used.
[[nodiscard]] NetAddress ParseNetAddress(std::string_view address);

} // namespace t8
