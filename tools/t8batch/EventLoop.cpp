#include "tools/t8batch/EventLoop.h"

#include "tools/t8batch/GangLoop.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace t8 {

namespace {

constexpr int kLongestWaitMs = 1000;
constexpr std::size_t kInputChunk = 256;
constexpr std::array<int, 3> kStopSignals{SIGINT, SIGTERM, SIGHUP};

// Where the handler writes. A signal handler is given no context, so this one value is the
// process's; only the loop that took the signals sets it.
volatile sig_atomic_t signalWrite = -1;

void OnStopSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalWrite, &byte, 1);
    errno = saved;
}

void Handle(int number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocked call returns, and the loop sees the signal
    ::sigaction(number, &action, nullptr);
}

} // namespace

const char* EventLoop::SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

EventLoop::EventLoop(GangLoop* gang_) : gang(gang_) {
    wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (gang != nullptr) {
        return; // the gang takes the signals and waits
    }
    std::array<int, 2> ends{-1, -1};
    if (::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    signalRead = ends[0];
    signalWriteEnd = ends[1];
    signalWrite = signalWriteEnd;
    for (const int number : kStopSignals) {
        Handle(number, OnStopSignal);
    }
    Handle(SIGPIPE, SIG_IGN);
}

EventLoop::~EventLoop() {
    // Signals from now on find no loop: the run has its verdict and is on its way out.
    if (signalWrite == signalWriteEnd) {
        signalWrite = -1;
    }
    for (const int fd : {wakeFd, signalRead, signalWriteEnd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void EventLoop::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
}

std::uint64_t EventLoop::NowMs() const {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void EventLoop::Add(Timer& timer) {
    timers.push_back(&timer);
}

void EventLoop::Remove(Timer& timer) {
    timers.erase(std::remove(timers.begin(), timers.end(), &timer), timers.end());
}

void EventLoop::Start(Timer& timer) {
    timer.active = true;
    timer.nextMs = NowMs() + static_cast<std::uint64_t>(timer.periodMs);
}

void EventLoop::Pump() {
    std::uint64_t next = NowMs() + kLongestWaitMs;
    for (const Timer* timer : timers) {
        if (timer->active && !timer->firing) {
            next = std::min(next, timer->nextMs);
        }
    }
    const std::uint64_t now = NowMs();
    const Events events = Wait(next > now ? static_cast<int>(next - now) : 0);
    if (handler) {
        handler(events);
    }
    FireDue();
}

void EventLoop::PumpWith(Timer& timer, const std::function<bool()>& done) {
    Add(timer);
    Start(timer);
    while (!done()) {
        Pump();
    }
    Remove(timer);
}

void EventLoop::FireDue() {
    const std::vector<Timer*> due = timers; // a timer's callback may add or remove timers
    for (Timer* timer : due) {
        const bool stillThere = std::find(timers.begin(), timers.end(), timer) != timers.end();
        if (!stillThere || !timer->active || timer->firing || NowMs() < timer->nextMs) {
            continue;
        }
        timer->nextMs = NowMs() + static_cast<std::uint64_t>(timer->periodMs);
        timer->firing = true;
        timer->fire();
        timer->firing = false;
    }
}

void EventLoop::Sleep(int ms) {
    if (gang != nullptr) {
        sleeping = true; // what arrives meanwhile does not end the sleep
        gang->HandOver(*this, ms);
        sleeping = false;
    } else {
        ::usleep(static_cast<useconds_t>(ms) * 1000);
    }
}

EventLoop::Events EventLoop::Wait(int timeoutMs) {
    if (gang != nullptr) {
        gang->HandOver(*this, timeoutMs);
        return std::exchange(delivered, Events{});
    }
    std::array<pollfd, 3> fds{{{wakeFd, POLLIN, 0}, {signalRead, POLLIN, 0}, {-1, POLLIN, 0}}};
    if (watchInput) {
        fds[2].fd = STDIN_FILENO;
    }
    Events events;
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) {
        return events;
    }
    if ((fds[0].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFd, &count, sizeof count);
        events.woken = true;
    }
    if ((fds[1].revents & POLLIN) != 0) {
        unsigned char number = 0;
        if (::read(signalRead, &number, 1) == 1) {
            events.signal = number;
        }
    }
    if (watchInput && (fds[2].revents & (POLLIN | POLLHUP)) != 0) {
        ReadInput(events);
    }
    return events;
}

void EventLoop::ReadInput(Events& events) {
    std::array<char, kInputChunk> chunk{};
    const ssize_t got = ::read(STDIN_FILENO, chunk.data(), chunk.size());
    if (got <= 0) {
        inputEnded = true;
        watchInput = false; // an ended input stays readable: it would wake every wait
    } else {
        input.append(chunk.data(), static_cast<std::size_t>(got));
    }
    events.inputLine = input.find('\n') != std::string::npos;
    events.inputEnded = inputEnded;
}

bool EventLoop::TakeLine() {
    const std::size_t end = input.find('\n');
    if (end == std::string::npos) {
        return false;
    }
    input.erase(0, end + 1);
    return true;
}

int EventLoop::PendingSignal() {
    if (gang != nullptr) {
        gang->TakeSignals();
        return std::exchange(delivered.signal, 0);
    }
    unsigned char number = 0;
    return signalRead >= 0 && ::read(signalRead, &number, 1) == 1 ? number : 0;
}

} // namespace t8
