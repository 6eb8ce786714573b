#include "formats/ProgressMeter.h"

#include <algorithm>

namespace t8 {

void ProgressMeter::Start(std::uint64_t length) {
    length_ = length;
    last_ = 0;
    // The first position whose percentage reaches 1; an empty source never moves on.
    nextAt_ = length == 0 ? UINT64_MAX : (length + 99) / 100;
    if (callback_ != nullptr && *callback_) {
        (*callback_)(0);
    }
}

void ProgressMeter::Advance(std::uint64_t position) {
    const std::uint64_t clamped = std::min(position, length_);
    const auto percent = static_cast<int>(clamped * 100 / length_);
    if (percent >= 100) {
        nextAt_ = UINT64_MAX;
    } else {
        const auto wanted = static_cast<std::uint64_t>(percent + 1);
        nextAt_ = (wanted * length_ + 99) / 100;
    }
    if (percent != last_) {
        last_ = percent;
        if (callback_ != nullptr && *callback_) {
            (*callback_)(percent);
        }
    }
}

} // namespace t8
