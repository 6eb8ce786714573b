#include "settings/TypedPort.h"

#include "link/PortFactory.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <sstream>

namespace t8 {

namespace {

constexpr std::array<std::string_view, 3> kNetworkSchemes = {"rfc2217", "tcp", "socket"};
constexpr std::array<std::string_view, 2> kRawSchemes = {"tcp", "socket"};
constexpr std::string_view kSchemeEnd = "://";
constexpr unsigned kLastTcpPort = 65535;
constexpr unsigned char kDelete = 0x7F;

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == kDelete;
}

// ASCII only: the locale must not decide what a host name is.
bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool IsIpv6Character(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
           c == '.';
}

std::string Example(std::string_view scheme) {
    return std::string(scheme) + "://HOST:PORT";
}

// The host and the port text of "host:port" or "[v6]:port"; false when the host is malformed.
bool SplitHostPort(std::string_view rest, std::string_view& host, std::string_view& port) {
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            return false;
        }
        host = rest.substr(1, close - 1);
        const std::string_view after = rest.substr(close + 1);
        port = after.empty() ? after : after.substr(1);
        return (after.empty() || after.front() == ':') &&
               std::all_of(host.begin(), host.end(), IsIpv6Character);
    }
    const std::size_t colon = rest.rfind(':');
    host = rest.substr(0, colon);
    port = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    return std::all_of(host.begin(), host.end(), IsHostCharacter);
}

} // namespace

std::string TypedTextProblem(std::string_view text) {
    if (text.size() > kMaxTypedPort) {
        return "The port name is " + std::to_string(text.size()) +
               " characters long, longer than any path.";
    }
    if (std::any_of(text.begin(), text.end(), IsControl)) {
        return "The port name holds a control character (a tab, a line end or the like).";
    }
    return {};
}

std::string NetworkAddressProblem(std::string_view address) {
    const std::string_view scheme = AddressScheme(address);
    if (std::find(kNetworkSchemes.begin(), kNetworkSchemes.end(), scheme) ==
        kNetworkSchemes.end()) {
        return "Addresses of the kind \"" + std::string(scheme) +
               "://\" are not supported; use rfc2217://HOST:PORT or tcp://HOST:PORT.";
    }
    const std::string text(address);
    const std::string_view rest = address.substr(scheme.size() + kSchemeEnd.size());
    std::string_view host;
    std::string_view port;
    if (!SplitHostPort(rest, host, port)) {
        return text + ": \"" + std::string(host) + "\" is no host name or address.";
    }
    if (host.empty()) {
        return text + " names no host; write " + Example(scheme) + ".";
    }
    if (port.empty()) {
        return text + " names no port; write " + Example(scheme) +
               " with the port the server listens on.";
    }
    unsigned number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (error != std::errc() || end != port.data() + port.size() || number == 0 ||
        number > kLastTcpPort) {
        return text + ": the port must be a number from 1 to 65535.";
    }
    return {};
}

bool IsRawTcpAddress(std::string_view address) {
    const std::string_view scheme = AddressScheme(address);
    return std::find(kRawSchemes.begin(), kRawSchemes.end(), scheme) != kRawSchemes.end();
}

std::string PathInDevFolder(const std::string& name, const std::string& devFolder) {
    std::istringstream parts(name);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part == "..") {
            return {};
        }
    }
    return devFolder + "/" + name;
}

std::vector<std::string> RememberAddress(std::vector<std::string> recent,
                                         const std::string& address) {
    recent.erase(std::remove(recent.begin(), recent.end(), address), recent.end());
    recent.insert(recent.begin(), address);
    if (recent.size() > kMaxRecentAddresses) {
        recent.resize(kMaxRecentAddresses);
    }
    return recent;
}

std::string RecentAddressesText(const std::vector<std::string>& recent) {
    std::string text;
    for (const std::string& address : recent) {
        text += (text.empty() ? "" : " ") + address;
    }
    return text;
}

std::vector<std::string> RecentAddressesFromText(std::string_view text) {
    std::vector<std::string> recent;
    std::istringstream words{std::string(text)};
    for (std::string word; words >> word && recent.size() < kMaxRecentAddresses;) {
        if (NetworkAddressProblem(word).empty() && TypedTextProblem(word).empty() &&
            std::find(recent.begin(), recent.end(), word) == recent.end()) {
            recent.push_back(word);
        }
    }
    return recent;
}

} // namespace t8
