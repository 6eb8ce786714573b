#include "link/PortFactory.h"

#include "link/NetworkPort.h"
#include "link/SerialPort.h"

#include <algorithm>
#include <utility>

namespace t8 {

namespace {

using MakeFunction = std::unique_ptr<PortInterface> (*)();

struct PortKind {
    std::string_view scheme; // empty: a device path
    MakeFunction make;
};

std::unique_ptr<PortInterface> MakeSerialPort() {
    return std::make_unique<SerialPort>();
}

std::unique_ptr<PortInterface> MakeNetworkPort() {
    return std::make_unique<NetworkPort>();
}

// One row a kind of port.
constexpr PortKind kPortKinds[] = {
    {"", MakeSerialPort},
    {"rfc2217", MakeNetworkPort},
    {"tcp", MakeNetworkPort},
    {"socket", MakeNetworkPort}, // another name for tcp, as other serial tools write it
};

constexpr std::string_view kSchemeEnd = "://";

// ASCII only: the locale must not decide what an address is.
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Schemes are compared without regard to case (RFC 3986).
std::string Lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower;
}

// RFC 3986: a letter, then letters, digits, '+', '-' and '.'.
bool IsScheme(std::string_view text) {
    const auto schemeCharacter = [](char c) {
        return IsLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    };
    return !text.empty() && IsLetter(text.front()) &&
           std::all_of(text.begin(), text.end(), schemeCharacter);
}

} // namespace

std::string_view AddressScheme(std::string_view address) {
    const std::size_t end = address.find(kSchemeEnd);
    if (end == std::string_view::npos) {
        return {};
    }
    const std::string_view scheme = address.substr(0, end);
    return IsScheme(scheme) ? scheme : std::string_view();
}

std::unique_ptr<PortInterface> MakePort(const std::string& address) {
    if (address.empty()) {
        return nullptr;
    }
    const std::string scheme = Lowercase(AddressScheme(address));
    for (const PortKind& kind : kPortKinds) {
        if (kind.scheme == scheme) {
            return kind.make();
        }
    }
    return nullptr;
}

std::string UnservedAddressReason(const std::string& address) {
    return "addresses of the kind \"" + std::string(AddressScheme(address)) +
           "://\" are not supported; name a serial device, such as /dev/ttyUSB0, or a network "
           "port, such as rfc2217://HOST:PORT";
}

OpenedPort OpenAddress(const PortFactory& factory, const std::string& address) {
    OpenedPort opened;
    if (address.empty()) {
        opened.error = {LinkErrorKind::NoAddress, 0};
        return opened;
    }
    opened.port = factory(address);
    if (!opened.port) {
        opened.error = {LinkErrorKind::Unsupported, 0};
    } else if (!opened.port->Open(address)) {
        opened.error = opened.port->LastError();
        opened.port.reset();
    }
    return opened;
}

} // namespace t8
