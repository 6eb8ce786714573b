#include "link/RetryBackoff.h"

#include <algorithm>

namespace t8 {

void RetryBackoff::Start(std::uint64_t nowMs) {
    active = true;
    waitMs = kFirstMs;
    dueMs = nowMs + waitMs;
}

void RetryBackoff::Failed(std::uint64_t nowMs) {
    waitMs = std::min(waitMs * 2, kLongestMs);
    dueMs = nowMs + waitMs;
}

} // namespace t8
