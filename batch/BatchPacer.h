#pragma once

#include "batch/BatchExecutor.h"
#include "batch/BatchTerminal.h"

#include <cstdint>
#include <functional>

namespace t8 {

// When a batch steps, for a host without the dialog's timer (t8batch): one step every stepMs
// (a key typed, a look for the prompt, a line read), and one at once when the prompt a wait
// looks for has come, so a device that answers quickly never waits for the next step. A wait
// also starts as soon as its last key is out: its first look, which forgets the prompts the
// typed keys brought back, is made before any answer to them can have been taken in.
//
// The host asks for the time through `clock` (milliseconds of any steady clock), calls Due()
// once NextStepMs() has come and PromptMayHaveCome() after it has taken in the device's text;
// `step` is its tick of the executor. Everything runs on the thread that ticks the executor.
class BatchPacer {
public:
    using Clock = std::function<std::uint64_t()>;

    BatchPacer(const BatchExecutor& executor_, const BatchTerminal& terminal_, int stepMs_,
               Clock clock_, std::function<void()> step_);

    // The first step comes one step from now.
    void Start();
    // Steps when the step's time has come; true when it stepped.
    bool Due();
    // Steps at once when a wait for the prompt has it; true when it stepped.
    bool PromptMayHaveCome();
    [[nodiscard]] std::uint64_t NextStepMs() const { return nextMs; }
    [[nodiscard]] int StepMs() const { return stepMs; }

private:
    void Step();

    const BatchExecutor& executor;
    const BatchTerminal& terminal;
    int stepMs;
    Clock clock;
    std::function<void()> step;
    std::uint64_t nextMs = 0;
    bool stepping = false;
};

} // namespace t8
