#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace t8 {

// Paces the window's taking of received text. A lone block shows at once; in a flood the blocks
// are taken once a frame, so that a frame's text costs one repaint and one status update, which
// would otherwise cost more than the text itself. At most a frame's worth is taken at a time:
// what is left follows as soon as the keys, clicks and menus that waited meanwhile have had their
// turn. Once text has kept arriving for kFloodFrames frames in a row, it is drawn every
// kFloodFrames frames only (nobody reads a flood at sixty frames a second, and drawing would
// take the time the text needs); the frame after the flood draws what it left. Runs on the
// window's thread.
class ReceivedFrames : public QObject {
public:
    static constexpr int kFrameMs = 16;
    static constexpr int kFloodFrames = 3;

    // `take` shows received text for at most the given time and says whether more waits;
    // `shown` then applies what it changed to the widget.
    ReceivedFrames(std::function<bool(std::chrono::milliseconds)> take,
                   std::function<void()> shown);

    // Blocks arrived (or may wait): take them now, or at the end of the running frame.
    void Wake();

private:
    void EndFrame();

    std::function<bool(std::chrono::milliseconds)> take;
    std::function<void()> shown;
    QTimer frame; // runs for a frame after received text was shown
    bool due = false;
    int busyFrames = 0; // frames in a row during which more text arrived
    int undrawn = 0;    // frames taken since the last was drawn
};

} // namespace t8
