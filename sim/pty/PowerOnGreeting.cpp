#include "sim/pty/PowerOnGreeting.h"

#include <algorithm>

namespace t8::sim {

void PowerOnGreeting::HostOpened(std::uint64_t nowMs) {
    if (stage_ == Stage::Off) {
        stage_ = Stage::Opened;
        due_ = nowMs + kSettleMs;
    }
}

void PowerOnGreeting::HostPurged(std::uint64_t nowMs) {
    switch (stage_) {
    case Stage::Off: // the open went unnoticed; a purge means a host is there
        stage_ = Stage::Opened;
        due_ = nowMs + kAfterPurgeMs;
        break;
    case Stage::Opened:
        due_ = std::max(*due_, nowMs + kAfterPurgeMs);
        break;
    case Stage::Said:
        if (!repeated_ && nowMs - saidMs_ <= kSwallowedWithinMs) {
            repeated_ = true;
            stage_ = Stage::Opened;
            due_ = nowMs + kAfterPurgeMs;
        }
        break;
    case Stage::Done:
        break;
    }
}

void PowerOnGreeting::HostSpoke() {
    stage_ = Stage::Done;
    due_.reset();
}

void PowerOnGreeting::Said(std::uint64_t nowMs) {
    stage_ = Stage::Said;
    saidMs_ = nowMs;
    due_.reset();
}

} // namespace t8::sim
