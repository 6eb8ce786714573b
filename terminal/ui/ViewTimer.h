#pragma once

#include "transfer/TransferTimer.h"

#include <QTimer>

#include <functional>

namespace t8 {

class PromptPane;
class SerialLink;

// The view's transfer timer and the pause that keeps the window painted but holds the
// operator's input back: the transfers' TransferTimer in the window. The link starts and stops
// the same timer as the port opens and closes.
class ViewTimer : public TransferTimer {
public:
    // `tick` runs every `periodMs` while the timer runs.
    ViewTimer(int periodMs, PromptPane& prompt, const SerialLink& link, std::function<void()> tick);

    void StartViewTimer() override;
    // A stale address prompt leaves the status bar here: no tick will clear it now.
    void StopViewTimer() override;
    void Wait(int ms) override;

    [[nodiscard]] bool Running() const { return timer.isActive(); }

private:
    PromptPane& prompt;
    const SerialLink& link;
    QTimer timer;
};

} // namespace t8
