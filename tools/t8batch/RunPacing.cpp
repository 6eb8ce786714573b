#include "tools/t8batch/RunPacing.h"

namespace t8 {

namespace {

constexpr int kViewTimerMs = 250; // the view's timer: prompt at the line start, auto-confirm

} // namespace

RunPacing::RunPacing(EventLoop& loop_, const BatchExecutor& executor, const BatchTerminal& terminal,
                     int stepMs, std::function<void()> step, std::function<bool()> viewTick_)
    : loop(loop_),
      pacer(
          executor, terminal, stepMs, [this] { return loop.NowMs(); }, std::move(step)),
      viewTick(std::move(viewTick_)) {
    executorTimer.periodMs = stepMs;
    executorTimer.fire = [this] {
        (void)pacer.Due();
        Follow();
    };
    viewTimer.periodMs = kViewTimerMs;
    viewTimer.fire = [this] {
        if (viewTick()) {
            PromptMayHaveCome();
        }
    };
    loop.Add(executorTimer);
    loop.Add(viewTimer);
}

void RunPacing::Start() {
    loop.Start(executorTimer);
    pacer.Start();
    Follow();
}

void RunPacing::PromptMayHaveCome() {
    if (pacer.PromptMayHaveCome()) {
        Follow();
    }
}

} // namespace t8
