#include "tools/t8batch/TappedPort.h"

#include <utility>

namespace t8 {

TappedPort::TappedPort(std::unique_ptr<PortInterface> inner_, LineTap& tap_)
    : inner(std::move(inner_)), tap(tap_) {}

WriteResult TappedPort::Write(const std::uint8_t* bytes, std::size_t count,
                              std::uint32_t timeoutMs) {
    const WriteResult result = inner->Write(bytes, count, timeoutMs);
    Written(bytes, result);
    return result;
}

WriteResult TappedPort::WriteAvailable(const std::uint8_t* bytes, std::size_t count) {
    const WriteResult result = inner->WriteAvailable(bytes, count);
    Written(bytes, result);
    return result;
}

PortFactory TappedPorts(PortFactory make, LineTap& tap) {
    return [make = std::move(make),
            &tap](const std::string& address) -> std::unique_ptr<PortInterface> {
        std::unique_ptr<PortInterface> inner = make(address);
        if (!inner) {
            return nullptr; // no port serves the address: the link says so
        }
        return std::make_unique<TappedPort>(std::move(inner), tap);
    };
}

void TappedPort::Written(const std::uint8_t* bytes, const WriteResult& result) {
    if (!tap.hostStreaming) {
        tap.transcript.Bytes("host", bytes, result.written);
    }
}

} // namespace t8
