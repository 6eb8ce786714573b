#include "terminal/ui/CaptureFeed.h"

#include "link/AppName.h"
#include "terminal/ui/TimestampMargin.h"
#include "terminal/ui/ViewDialogs.h"
#include "terminal/ui/ViewDocument.h"

#include <QTimer>

#include <string>

namespace t8 {

void CaptureFeed::Append(const std::uint8_t* bytes, std::size_t count) {
    times.Note(bytes, count, TimestampMargin::Now());
    if (doc.AppendCapture(bytes, count) || fullReported) {
        return;
    }
    fullReported = true;
    // Told after the block is through, so the message box cannot re-enter the dispatch.
    QTimer::singleShot(0, &context, [this] {
        dialogs.ShowMessage("The capture store is full (" +
                                std::to_string(ViewDocument::kCaptureLimit >> 20) +
                                " MiB). Later data is not captured.\nChoose Terminal > Stop "
                                "capture to save what was captured.",
                            kAppName, MessageIcon::Exclamation);
    });
}

} // namespace t8
