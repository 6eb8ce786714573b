#pragma once

#include "link/DeviceFile.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace t8 {

// What the port page makes of a typed port before it is used: a device path (a bare name is
// looked up in /dev), or a network address "scheme://host:port". Each refusal names the cause
// in the operator's words, so the page can say why instead of dropping the text.

// No path is longer; a longer text is refused before the system is asked.
inline constexpr std::size_t kMaxTypedPort = 4095;
// Network addresses the page remembers for the port list, newest first.
inline constexpr std::size_t kMaxRecentAddresses = 8;

// Why `text` cannot name anything (a control character, too long); empty when it can.
[[nodiscard]] std::string TypedTextProblem(std::string_view text);

// Why `address` ("rfc2217://host:port", "tcp://...", "socket://...") is no usable network
// address: an unknown scheme, no host, no port or one outside 1 to 65535. Empty when it is.
// Only the text is read; the name is resolved when the port opens.
[[nodiscard]] std::string NetworkAddressProblem(std::string_view address);
// A raw TCP address carries bytes only: the server sets the line.
[[nodiscard]] bool IsRawTcpAddress(std::string_view address);

// The path a name typed without a leading '/' stands for: the same name in `devFolder`; empty
// when the name climbs out of it ("..").
[[nodiscard]] std::string PathInDevFolder(const std::string& name, const std::string& devFolder);

// `recent` with `address` put first, once, and no more than kMaxRecentAddresses kept.
[[nodiscard]] std::vector<std::string> RememberAddress(std::vector<std::string> recent,
                                                       const std::string& address);
// The list as the store keeps it (one text, separated by spaces), and back: what is not a
// usable network address is dropped on the way in.
[[nodiscard]] std::string RecentAddressesText(const std::vector<std::string>& recent);
[[nodiscard]] std::vector<std::string> RecentAddressesFromText(std::string_view text);

} // namespace t8
