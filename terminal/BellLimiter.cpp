#include "terminal/BellLimiter.h"

namespace t8 {

bool BellLimiter::Ring(Clock::time_point now) {
    if (lastRung && now - *lastRung < kMinInterval) {
        return false;
    }
    lastRung = now;
    return true;
}

} // namespace t8
