#include "link/NetAddress.h"

#include <algorithm>
#include <charconv>

namespace t8 {

namespace {

constexpr std::string_view kNetSchemeEnd = "://";

struct SchemeRow {
    std::string_view scheme;
    NetProtocol protocol;
};

constexpr SchemeRow kSchemes[] = {
    {"rfc2217", NetProtocol::Rfc2217},
    {"tcp", NetProtocol::RawTcp},
    {"socket", NetProtocol::RawTcp},
};

bool SameLetters(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == y; });
}

// "HOST:PORT" or "[V6]:PORT" split at the port's colon; false when there is no port part.
bool SplitHostPort(std::string_view rest, std::string_view& host, std::string_view& port) {
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            host = rest.substr(1, close == std::string_view::npos ? rest.npos : close - 1);
            return false;
        }
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
        return true;
    }
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) {
        host = rest;
        return false;
    }
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    return true;
}

} // namespace

NetProtocol NetProtocolOf(std::string_view address) {
    const std::size_t end = address.find(kNetSchemeEnd);
    if (end == std::string_view::npos) {
        return NetProtocol::None;
    }
    for (const SchemeRow& row : kSchemes) {
        if (SameLetters(address.substr(0, end), row.scheme)) {
            return row.protocol;
        }
    }
    return NetProtocol::None;
}

NetAddress ParseNetAddress(std::string_view address) {
    NetAddress parsed;
    parsed.protocol = NetProtocolOf(address);
    if (parsed.protocol == NetProtocol::None) {
        parsed.problem = "it is not a network address";
        return parsed;
    }
    std::string_view rest = address.substr(address.find(kNetSchemeEnd) + kNetSchemeEnd.size());
    if (const std::size_t slash = rest.find('/'); slash != std::string_view::npos) {
        if (rest.find_first_not_of('/', slash) != std::string_view::npos) {
            parsed.problem = "a network address has no path after HOST:PORT";
            return parsed;
        }
        rest = rest.substr(0, slash); // a trailing slash is harmless
    }
    std::string_view host;
    std::string_view port;
    if (!SplitHostPort(rest, host, port)) {
        parsed.problem = "the address names no port: write it as HOST:PORT";
        return parsed;
    }
    if (host.empty()) {
        parsed.problem = "the address names no host: write it as HOST:PORT";
        return parsed;
    }
    if (host.find(':') != std::string_view::npos && rest.front() != '[') {
        parsed.problem = "write an IPv6 address in brackets: [::1]:PORT";
        return parsed;
    }
    unsigned number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || number == 0 ||
        number > 65535) {
        parsed.problem = "the port \"" + std::string(port) + "\" is no number from 1 to 65535";
        return parsed;
    }
    parsed.host = std::string(host);
    parsed.port = static_cast<std::uint16_t>(number);
    return parsed;
}

} // namespace t8
