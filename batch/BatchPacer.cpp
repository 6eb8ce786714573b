#include "batch/BatchPacer.h"

#include <utility>

namespace t8 {

BatchPacer::BatchPacer(const BatchExecutor& executor_, const BatchTerminal& terminal_, int stepMs_,
                       Clock clock_, std::function<void()> step_)
    : executor(executor_), terminal(terminal_), stepMs(stepMs_), clock(std::move(clock_)),
      step(std::move(step_)) {}

void BatchPacer::Start() {
    nextMs = clock() + static_cast<std::uint64_t>(stepMs);
}

bool BatchPacer::Due() {
    if (stepping || clock() < nextMs) {
        return false;
    }
    Step();
    return true;
}

bool BatchPacer::PromptMayHaveCome() {
    // A step that is running (a transfer its key started) looks again when it returns.
    if (stepping || executor.InTick() || !executor.WaitingForPrompt() || !terminal.PromptSeen()) {
        return false;
    }
    Step();
    return true;
}

void BatchPacer::Step() {
    stepping = true;
    const bool typed = executor.Typing();
    step();
    if (typed && executor.WaitingForPrompt()) {
        step(); // the wait's first look, before the device's answer can be taken in
    }
    stepping = false;
    // Counted from the step's end: a transfer inside it may have taken a while.
    nextMs = clock() + static_cast<std::uint64_t>(stepMs);
}

} // namespace t8
