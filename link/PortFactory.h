#pragma once

#include "link/LinkError.h"
#include "link/PortInterface.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace t8 {

// Ports are chosen by their address. An address "scheme://rest" names a kind of port by its
// scheme; any other address is the path of a serial device. Each kind is one PortInterface
// class and one row in MakePort's table, so a new kind never reaches past this door.

// The port that serves `address`, not yet opened; null when no kind of port serves it. Tests
// hand the link their own fakes of this type.
using PortFactory = std::function<std::unique_ptr<PortInterface>(const std::string& address)>;

// The ports this program has. Null for an empty address and for a scheme none of them serves;
// it only reads the address, never the filesystem.
[[nodiscard]] std::unique_ptr<PortInterface> MakePort(const std::string& address);

// The scheme of an address "scheme://rest" as written ("tcp"); empty for a device path.
[[nodiscard]] std::string_view AddressScheme(std::string_view address);

// Why no port serves `address`, in the operator's words.
[[nodiscard]] std::string UnservedAddressReason(const std::string& address);

// A port from `factory`, opened at `address`, or why there is none: NoAddress for an empty
// address, Unsupported for one no port serves, else the port's own error.
struct OpenedPort {
    std::unique_ptr<PortInterface> port;
    LinkError error;
};
[[nodiscard]] OpenedPort OpenAddress(const PortFactory& factory, const std::string& address);

} // namespace t8
