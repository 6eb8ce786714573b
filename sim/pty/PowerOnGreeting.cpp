#include "sim/pty/PowerOnGreeting.h"

#include <algorithm>

namespace t8::sim {

void PowerOnGreeting::HostOpened(std::uint64_t nowMs) {
    if (stage == Stage::Off) {
        stage = Stage::Opened;
        due = nowMs + kSettleMs;
    }
}

void PowerOnGreeting::HostPurged(std::uint64_t nowMs) {
    switch (stage) {
    case Stage::Off: // the open went unnoticed; a purge means a host is there
        stage = Stage::Opened;
        due = nowMs + kAfterPurgeMs;
        break;
    case Stage::Opened:
        due = std::max(*due, nowMs + kAfterPurgeMs);
        break;
    case Stage::Said:
        if (!repeated && nowMs - saidMs <= kSwallowedWithinMs) {
            repeated = true;
            stage = Stage::Opened;
            due = nowMs + kAfterPurgeMs;
        }
        break;
    case Stage::Done:
        break;
    }
}

void PowerOnGreeting::HostSpoke() {
    stage = Stage::Done;
    due.reset();
}

void PowerOnGreeting::Said(std::uint64_t nowMs) {
    stage = Stage::Said;
    saidMs = nowMs;
    due.reset();
}

} // namespace t8::sim
