#include "formats/ProgressMeter.h"

#include <algorithm>

namespace t8 {

void ProgressMeter::Start(std::uint64_t length_) {
    length = length_;
    last = 0;
    // The first position whose percentage reaches 1; an empty source never moves on.
    nextAt = length_ == 0 ? UINT64_MAX : (length_ + 99) / 100;
    if (callback != nullptr && *callback) {
        (*callback)(0);
    }
}

void ProgressMeter::Advance(std::uint64_t position) {
    const std::uint64_t clamped = std::min(position, length);
    const auto percent = static_cast<int>(clamped * 100 / length);
    if (percent >= 100) {
        nextAt = UINT64_MAX;
    } else {
        const auto wanted = static_cast<std::uint64_t>(percent + 1);
        nextAt = (wanted * length + 99) / 100;
    }
    if (percent != last) {
        last = percent;
        if (callback != nullptr && *callback) {
            (*callback)(percent);
        }
    }
}

} // namespace t8
