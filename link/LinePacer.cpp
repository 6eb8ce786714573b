#include "link/LinePacer.h"

#include <algorithm>

namespace t8 {

void LinePacer::SetLine(const LineSettings& settings) {
    baudRate = settings.baudRate == 0 ? 115200 : settings.baudRate;
    frameBits = 1u + settings.byteSize + (settings.parity == kParityNone ? 0u : 1u) +
                (settings.stopBits == kStopOne ? 1u : 2u);
}

std::uint64_t LinePacer::ByteUs() const {
    return std::max<std::uint64_t>(1, std::uint64_t{frameBits} * 1000000 / baudRate);
}

std::size_t LinePacer::Queued(std::uint64_t nowUs) const {
    if (freeAtUs <= nowUs) {
        return 0;
    }
    const std::uint64_t byteUs = ByteUs();
    return static_cast<std::size_t>((freeAtUs - nowUs + byteUs - 1) / byteUs);
}

std::size_t LinePacer::InFlightLimit() const {
    return std::max<std::size_t>(kMinInFlight, kInFlightMs * 1000 / ByteUs());
}

std::size_t LinePacer::Room(std::uint64_t nowUs) const {
    const std::size_t queued = Queued(nowUs);
    const std::size_t limit = InFlightLimit();
    return queued >= limit ? 0 : limit - queued;
}

void LinePacer::Wrote(std::size_t count, std::uint64_t nowUs) {
    freeAtUs = std::max(freeAtUs, nowUs) + count * ByteUs();
}

std::uint64_t LinePacer::WaitForRoomUs(std::uint64_t nowUs) const {
    if (Room(nowUs) > 0) {
        return 0;
    }
    // room for a byte once the line has carried all but limit - 1 of them
    const std::uint64_t keep = (InFlightLimit() - 1) * ByteUs();
    return freeAtUs - keep > nowUs ? freeAtUs - keep - nowUs : 1;
}

} // namespace t8
