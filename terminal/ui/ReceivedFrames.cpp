#include "terminal/ui/ReceivedFrames.h"

#include <utility>

namespace t8 {

ReceivedFrames::ReceivedFrames(std::function<bool(std::chrono::milliseconds)> take_,
                               std::function<void()> shown_)
    : take(std::move(take_)), shown(std::move(shown_)) {
    frame.setSingleShot(true);
    frame.setInterval(kFrameMs);
    connect(&frame, &QTimer::timeout, this, [this] { EndFrame(); });
}

void ReceivedFrames::Wake() {
    if (frame.isActive()) {
        due = true;
        return;
    }
    due = take(std::chrono::milliseconds(kFrameMs));
    const bool flooding = busyFrames >= kFloodFrames;
    if (++undrawn >= (flooding ? kFloodFrames : 1)) {
        undrawn = 0;
        shown();
    }
    frame.start(due ? 0 : kFrameMs);
}

void ReceivedFrames::EndFrame() {
    busyFrames = due ? busyFrames + 1 : 0;
    if (std::exchange(due, false)) {
        Wake();
    } else if (undrawn > 0) {
        undrawn = 0;
        shown();
    }
}

} // namespace t8
