#pragma once

#include "link/LineSettings.h"

#include <cstddef>
#include <cstdint>

namespace t8 {

// What a network port keeps in place of a driver's output queue: the bytes written that the
// serial line at the far end could not have carried yet, from the rate and frame and the time
// since. Sends are held to about kInFlightMs of the line beyond that, so a transfer paces as on
// a local port and a Cancel leaves little on the way. Times are microseconds of one clock.
class LinePacer {
public:
    static constexpr std::uint64_t kInFlightMs = 100;
    // Never fewer bytes in flight than this, so slow lines still take a whole key sequence.
    static constexpr std::size_t kMinInFlight = 16;

    void SetLine(const LineSettings& settings);
    // Bytes written now and not yet carried.
    [[nodiscard]] std::size_t Queued(std::uint64_t nowUs) const;
    // Bytes that may be written now.
    [[nodiscard]] std::size_t Room(std::uint64_t nowUs) const;
    // `count` bytes were written at nowUs.
    void Wrote(std::size_t count, std::uint64_t nowUs);
    // Microseconds until Room() is not zero.
    [[nodiscard]] std::uint64_t WaitForRoomUs(std::uint64_t nowUs) const;
    // What was written is dropped (a purge): the line is free now.
    void Clear() { freeAtUs = 0; }
    [[nodiscard]] std::size_t InFlightLimit() const;

private:
    [[nodiscard]] std::uint64_t ByteUs() const;

    std::uint32_t baudRate = 115200;
    std::uint32_t frameBits = 10; // start, data, parity, stop
    std::uint64_t freeAtUs = 0;   // when the line has carried everything written
};

} // namespace t8
