#pragma once

namespace t8 {

// The view's 250 ms timer that drives the transfers, and the pauses they make between keys and
// around a receive. Calls come on the user-interface thread.
class TransferTimer {
public:
    TransferTimer() = default;
    TransferTimer(const TransferTimer&) = delete;
    TransferTimer& operator=(const TransferTimer&) = delete;
    virtual ~TransferTimer() = default;

    virtual void StartViewTimer() = 0;
    virtual void StopViewTimer() = 0;
    // Lets `ms` pass while events are processed but user input is held back.
    virtual void Wait(int ms) = 0;
};

} // namespace t8
