#pragma once

#include "terminal/CaptureStamps.h"

#include <cstddef>
#include <cstdint>

class QObject;

namespace t8 {

class ViewDialogs;
class ViewDocument;

// The capture's share of what the device sends: the time each line began, the document's
// store, and one message once the store is full. Runs on the user-interface thread.
class CaptureFeed {
public:
    // `context`: the window the message waits on; it is not shown once the window is gone.
    CaptureFeed(ViewDocument& doc_, ViewDialogs& dialogs_, QObject& context_)
        : doc(doc_), dialogs(dialogs_), context(context_) {}

    // A new capture: it may fill the store again, and is told so again; its lines are timed
    // afresh.
    void Started() {
        fullReported = false;
        times.Reset();
    }
    void Append(const std::uint8_t* bytes, std::size_t count);
    [[nodiscard]] const CaptureStamps& Times() const { return times; }

private:
    ViewDocument& doc;
    ViewDialogs& dialogs;
    QObject& context;
    CaptureStamps times;
    bool fullReported = false;
};

} // namespace t8
