#pragma once

#include "batch/BatchExecutor.h"
#include "batch/BatchPacer.h"
#include "batch/BatchTerminal.h"
#include "tools/t8batch/EventLoop.h"

#include <functional>

namespace t8 {

// When a run steps its executor, on the event loop: the pacer's steps on one timer, and the
// view's timer (the prompt at the line start, the auto-confirm) on another, after which the
// prompt a wait looks for may have come.
class RunPacing {
public:
    // `step` ticks the executor; `viewTick` runs the view's timer and says whether the run
    // still goes on.
    RunPacing(EventLoop& loop_, const BatchExecutor& executor, const BatchTerminal& terminal,
              int stepMs, std::function<void()> step, std::function<bool()> viewTick_);
    RunPacing(const RunPacing&) = delete;
    RunPacing& operator=(const RunPacing&) = delete;

    // The first step comes one step from now.
    void Start();
    // After the device's text has been taken in: a wait that has its prompt steps at once.
    void PromptMayHaveCome();
    void StartViewTimer() { loop.Start(viewTimer); }
    void StopViewTimer() { loop.Stop(viewTimer); }

private:
    // The executor's timer follows the pacer: a step taken at once moves the next one on.
    void Follow() { executorTimer.nextMs = pacer.NextStepMs(); }

    EventLoop& loop;
    BatchPacer pacer;
    std::function<bool()> viewTick;
    EventLoop::Timer executorTimer;
    EventLoop::Timer viewTimer;
};

} // namespace t8
