#include "terminal/ui/ViewTimer.h"

#include "link/SerialLink.h"
#include "terminal/ui/PromptPane.h"

#include <QEventLoop>

namespace t8 {

ViewTimer::ViewTimer(int periodMs, PromptPane& prompt_, const SerialLink& link_,
                     std::function<void()> tick)
    : prompt(prompt_), link(link_) {
    timer.setInterval(periodMs);
    QObject::connect(&timer, &QTimer::timeout, std::move(tick));
}

void ViewTimer::StartViewTimer() {
    timer.start();
}

void ViewTimer::StopViewTimer() {
    timer.stop();
    prompt.ClearStaleAddressPrompt(link.Record());
}

// The pause keeps the window painted and the link served, but holds the operator's input back.
void ViewTimer::Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace t8
