#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace t8 {

class GangLoop;

// t8batch's main loop without a window: the reader's wake-ups, the stop signals (SIGINT, SIGTERM,
// SIGHUP), standard input when asked for, and timers that stand in for the window's. A timer is
// never re-entered: while its callback runs a nested loop (a transfer's dialog, a wait), its own
// ticks are skipped.
//
// The stop signals are caught, never blocked: their handler writes the signal's number to a
// pipe the loop polls, so a signal ends any wait of the loop, and interrupts a system call that
// blocks elsewhere rather than waiting behind it. SIGPIPE is ignored: a closed standard output
// or log reader is a failed write, not the end of the run.
//
// In a gang every port's run has a loop of its own on the gang's GangLoop: such a loop takes no
// signals and never polls; where it would wait it hands over to the gang, which waits for all and
// gives each loop its events, signals and lines of standard input.
class EventLoop {
public:
    using Clock = std::chrono::steady_clock;

    struct Timer {
        int periodMs = 0;
        std::function<void()> fire;
        bool active = false;
        std::uint64_t nextMs = 0;
        bool firing = false;
    };

    // What the loop saw while it waited.
    struct Events {
        bool woken = false;
        int signal = 0;          // SIGINT, SIGTERM or SIGHUP, 0 for none
        bool inputLine = false;  // a whole line waits in what standard input brought
        bool inputEnded = false; // standard input was closed
    };

    // "SIGINT", "SIGTERM", "SIGHUP".
    [[nodiscard]] static const char* SignalName(int signal);

    // Takes over the stop signals for as long as the loop exists; on a gang's loop, the gang does.
    explicit EventLoop(GangLoop* gang_ = nullptr);
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;
    ~EventLoop();

    [[nodiscard]] bool Ok() const { return wakeFd >= 0 && (gang != nullptr || signalRead >= 0); }
    // From any thread.
    void Wake();
    [[nodiscard]] std::uint64_t NowMs() const;

    void Add(Timer& timer);
    void Remove(Timer& timer);
    void Start(Timer& timer);
    void Stop(Timer& timer) { timer.active = false; }

    // Handles what arrived, before any timer fires; nested loops hand it the same way.
    void SetHandler(std::function<void(const Events&)> handler_) { handler = std::move(handler_); }
    // Reads standard input for lines while set (and until it ends).
    void WatchInput(bool watch) { watchInput = watch && !inputEnded; }
    // Takes the first whole line read from standard input, typed ahead or not; false for none.
    bool TakeLine();
    [[nodiscard]] bool InputEnded() const { return inputEnded; }
    // A stop signal that arrived while no loop ran (start-up, the last reports); 0 for none.
    [[nodiscard]] int PendingSignal();
    // Waits for the next event or due timer, hands the events over, fires what is due.
    void Pump();
    // A nested loop: pumps with `timer` added and started until `done` holds, then removes it.
    void PumpWith(Timer& timer, const std::function<bool()>& done);
    // Lets `ms` pass without handling anything: what arrives meanwhile waits for the next Pump.
    void Sleep(int ms);

private:
    friend class GangLoop;

    Events Wait(int timeoutMs);
    void ReadInput(Events& events);
    void FireDue();

    Clock::time_point start = Clock::now();
    int wakeFd = -1;
    int signalRead = -1; // the handler writes to the other end
    int signalWriteEnd = -1;
    std::vector<Timer*> timers;
    std::function<void(const Events&)> handler;
    bool watchInput = false;
    std::string input;
    bool inputEnded = false;
    GangLoop* gang = nullptr;
    Events delivered;           // what the gang handed over and no Pump has taken yet
    std::uint64_t wakeAtMs = 0; // while handed over: when the gang resumes this loop at the latest
    bool sleeping = false;      // handed over in Sleep: only the time resumes it
};

} // namespace t8
