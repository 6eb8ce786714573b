#include "sim/pty/OutputPacer.h"

#include <algorithm>
#include <limits>

namespace t8::sim {
namespace {

constexpr std::uint64_t kMsPerSecond = 1000;

} // namespace

std::size_t OutputPacer::Allowance(std::uint64_t nowMs) {
    if (!Limited()) {
        return std::numeric_limits<std::size_t>::max();
    }
    if (!started) {
        started = true;
        lastMs = nowMs;
        credit = kMsPerSecond; // the first byte goes at once
    }
    const std::uint64_t cap = std::max(kBurstMs * bytesPerSecond, kMsPerSecond);
    credit = std::min(cap, credit + (nowMs - lastMs) * bytesPerSecond);
    lastMs = nowMs;
    return static_cast<std::size_t>(credit / kMsPerSecond);
}

void OutputPacer::Spent(std::size_t bytes) {
    if (Limited()) {
        credit -= std::min<std::uint64_t>(credit, bytes * kMsPerSecond);
    }
}

std::uint64_t OutputPacer::WaitMs() const {
    if (!Limited() || credit >= kMsPerSecond) {
        return 0;
    }
    return (kMsPerSecond - credit + bytesPerSecond - 1) / bytesPerSecond;
}

} // namespace t8::sim
