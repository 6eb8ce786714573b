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
    if (!started_) {
        started_ = true;
        lastMs_ = nowMs;
        credit_ = kMsPerSecond; // the first byte goes at once
    }
    const std::uint64_t cap = std::max(kBurstMs * bytesPerSecond_, kMsPerSecond);
    credit_ = std::min(cap, credit_ + (nowMs - lastMs_) * bytesPerSecond_);
    lastMs_ = nowMs;
    return static_cast<std::size_t>(credit_ / kMsPerSecond);
}

void OutputPacer::Spent(std::size_t bytes) {
    if (Limited()) {
        credit_ -= std::min<std::uint64_t>(credit_, bytes * kMsPerSecond);
    }
}

std::uint64_t OutputPacer::WaitMs() const {
    if (!Limited() || credit_ >= kMsPerSecond) {
        return 0;
    }
    return (kMsPerSecond - credit_ + bytesPerSecond_ - 1) / bytesPerSecond_;
}

} // namespace t8::sim
