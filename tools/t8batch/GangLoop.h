#pragma once

#include "tools/t8batch/EventLoop.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace t8 {

// One thread drives every port of a gang. Each port's run keeps the shape it has alone (its
// transfers are loops nested in its own calls), so each runs on a stack of its own, and
// where its EventLoop would wait it hands over to the gang instead: the gang waits once for all
// (every port's wake-ups, the stop signals, standard input) and resumes each port whose events
// came or whose time is up. Nothing runs in parallel: a port runs until it hands over, so
// no lock is needed between them, and one port's long transfer never holds another's back.
//
// The gang takes the stop signals for as long as it exists; a signal reaches every port. A
// line of standard input goes to every port waiting for one at that moment.
class GangLoop {
public:
    GangLoop();
    GangLoop(const GangLoop&) = delete;
    GangLoop& operator=(const GangLoop&) = delete;
    ~GangLoop();

    [[nodiscard]] bool Ok() const { return stopSignals.Ok(); }
    // A port: its loop (made on this gang) and what it runs; false when no stack could be had.
    bool Add(EventLoop& loop, std::function<void()> body);
    // Runs every port's body to its end.
    void Run();

    // From a port's own code (through its EventLoop): back to the gang until an event for
    // `loop` comes or `ms` have passed.
    void HandOver(EventLoop& loop, int ms);
    // Reads the stop signals that came and hands them to every port.
    void TakeSignals();

private:
    struct Port; // a port's stack and where it stopped
    void Resume(Port& port);
    void WaitForAll();
    void DeliverInput();
    // A port handed over runs again once its time is up, or events came while it waits for them.
    [[nodiscard]] static bool Due(const EventLoop& loop);

    EventLoop stopSignals; // takes the stop signals for the whole gang
    std::vector<std::unique_ptr<Port>> ports;
    Port* running = nullptr;
    struct Context;
    std::unique_ptr<Context> main; // the gang's own stack, while a port runs
    std::string input;
    bool inputEnded = false;
};

} // namespace t8
