#pragma once

#include <cstddef>
#include <cstdint>

namespace t8::sim {

// Lets output go at the pace of a serial line: a rate of N baud moves N/10 bytes a second
// (start bit, eight data bits, stop bit).
class OutputPacer {
public:
    // Longest burst that unused time may save up.
    static constexpr std::uint64_t kBurstMs = 20;

    // 0 lifts the limit.
    void SetBaud(std::uint32_t baud) { bytesPerSecond = baud / 10; }
    [[nodiscard]] bool Limited() const { return bytesPerSecond > 0; }

    // Bytes that may be written at `nowMs`; call Spent() with what was written.
    [[nodiscard]] std::size_t Allowance(std::uint64_t nowMs);
    void Spent(std::size_t bytes);
    // Milliseconds until the next byte may go (0 when one may go now).
    [[nodiscard]] std::uint64_t WaitMs() const;

private:
    std::uint32_t bytesPerSecond = 0;
    std::uint64_t lastMs = 0;
    std::uint64_t credit = 0; // byte-milliseconds
    bool started = false;
};

} // namespace t8::sim
