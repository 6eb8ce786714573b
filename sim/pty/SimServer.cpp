#include "sim/pty/SimServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace t8::sim {
namespace {

constexpr std::size_t kLoggedBytes = 120;
constexpr std::size_t kCompactAt = 1U << 16;

std::uint64_t NowMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string Escaped(std::string_view bytes) {
    std::string text;
    for (const char c : bytes.substr(0, kLoggedBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text.push_back(c);
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            text += code;
        }
    }
    if (bytes.size() > kLoggedBytes) {
        text += "... (" + std::to_string(bytes.size()) + " bytes)";
    }
    return text;
}

// Empties a wake-up descriptor: an eventfd or a signalfd (whose reads take a whole record).
void TakeWake(const pollfd& fd) {
    if (fd.fd >= 0 && fd.revents != 0) {
        char record[sizeof(signalfd_siginfo)];
        [[maybe_unused]] const auto got = ::read(fd.fd, record, sizeof record);
    }
}

} // namespace

SimServer::SimServer(const DeviceOptions& deviceOptions, ServerOptions options_)
    : options(std::move(options_)),
      device(
          deviceOptions, [this](std::string_view text) { Queue(text); },
          [this](std::string_view text) { Note(text); }),
      stopEvent(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      toggleEvent(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    pacer.SetBaud(options.lineRate);
    inputPacer.SetBaud(options.lineRate);
}

SimServer::~SimServer() {
    for (const int event : {stopEvent, toggleEvent}) {
        if (event >= 0) {
            ::close(event);
        }
    }
}

std::string SimServer::Open() {
    if (stopEvent < 0 || toggleEvent < 0) {
        return std::string("cannot create an event: ") + std::strerror(errno);
    }
    std::string error = pty.Open(device.BaudRate());
    if (error.empty() && !options.linkPath.empty()) {
        error = pty.Link(options.linkPath);
    }
    lineUp = pty.IsOpen();
    return error;
}

void SimServer::Stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(stopEvent, &one, sizeof one);
}

void SimServer::ToggleLine() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(toggleEvent, &one, sizeof one);
}

std::string SimServer::Run(int stopFd, int toggleFd) {
    if (!pty.IsOpen()) {
        return "the pty is not open";
    }
    device.Start(NowMs());
    while (!hungUp) {
        // every pass follows an event or a deadline: the settings are read when they can matter
        if (pty.IsOpen()) {
            RefreshHostLine();
            GreetIfDue(NowMs());
            Flush(NowMs()); // a fault may pull the line here
        }
        if (hungUp) {
            break;
        }
        const bool up = pty.IsOpen();
        const Wait wait = up ? NextWait(NowMs()) : Wait{0, DownWaitMs(NowMs())};
        pollfd fds[6] = {{stopEvent, POLLIN, 0},
                         {stopFd, POLLIN, 0},
                         {toggleEvent, POLLIN, 0},
                         {toggleFd, POLLIN, 0},
                         {pty.MasterFd(), wait.masterEvents, 0},
                         {pty.OpenWatchFd(), POLLIN, 0}};
        // negative descriptors (no stopFd, the pty while the line is down) are left out by poll
        if (::poll(fds, 6, wait.timeoutMs) < 0 && errno != EINTR) {
            return std::string("poll failed: ") + std::strerror(errno);
        }
        if ((fds[0].revents | fds[1].revents) != 0) {
            break;
        }
        if ((fds[2].revents | fds[3].revents) != 0) {
            TakeWake(fds[2]);
            TakeWake(fds[3]);
            if (std::string error = Toggle(NowMs()); !error.empty()) {
                return error;
            }
            continue;
        }
        if (!up) {
            if (returnAtMs && NowMs() >= *returnAtMs) {
                if (std::string error = PlugIn(NowMs()); !error.empty()) {
                    return error;
                }
            }
            continue;
        }
        if (fds[5].revents != 0 && pty.TakeHostOpened()) {
            greeting.HostOpened(NowMs());
        }
        if ((fds[4].revents & POLLIN) != 0) {
            if (std::string error = ReadHost(NowMs()); !error.empty()) {
                return error;
            }
        }
        if (pty.IsOpen()) {
            device.Tick(NowMs());
        }
    }
    return {};
}

int SimServer::DownWaitMs(std::uint64_t nowMs) const {
    if (!returnAtMs) {
        return -1;
    }
    const std::uint64_t left = *returnAtMs > nowMs ? *returnAtMs - nowMs : 0;
    return static_cast<int>(std::clamp<std::uint64_t>(left, 1, kMaxWaitMs));
}

std::string SimServer::Toggle(std::uint64_t nowMs) {
    if (pty.IsOpen()) {
        Pull(nowMs, "the line was pulled");
        return {};
    }
    return PlugIn(nowMs);
}

void SimServer::Pull(std::uint64_t nowMs, const std::string& why) {
    if (options.leaveLinkOnPull) {
        pty.ForgetLink();
    }
    pty.Close();
    lineUp = false;
    pending.clear();
    pendingHead = 0;
    if (options.returnAfterMs > 0) {
        returnAtMs = nowMs + options.returnAfterMs;
        Note(why + ": back in " + std::to_string(options.returnAfterMs) + " ms");
    } else {
        returnAtMs.reset();
        Note(why);
    }
}

void SimServer::HangUpFault(std::uint64_t nowMs, const std::string& why) {
    faultsSpent = true;
    Pull(nowMs, why);
    hungUp = options.returnAfterMs == 0;
}

// Plugged in again: a new pty behind the same link, and the device switched on afresh, so the
// first host to open the new line is greeted.
std::string SimServer::PlugIn(std::uint64_t nowMs) {
    returnAtMs.reset();
    device.PowerCycle(nowMs);
    greeting = PowerOnGreeting{};
    pacer = OutputPacer{};
    inputPacer = OutputPacer{};
    pacer.SetBaud(options.lineRate);
    inputPacer.SetBaud(options.lineRate);
    if (std::string error = pty.Open(device.BaudRate()); !error.empty()) {
        return error;
    }
    lineUp = true;
    Note("the line is back on " + pty.SlavePath());
    if (options.lineBack) {
        options.lineBack(pty.SlavePath()); // before the link: a host may open it at once
    }
    return options.linkPath.empty() ? std::string() : pty.Link(options.linkPath);
}

SimServer::Wait SimServer::NextWait(std::uint64_t nowMs) {
    Wait wait{POLLIN, -1};
    std::optional<std::uint64_t> due = device.NextTickMs();
    const auto earliest = [&due](std::uint64_t at) { due = due ? std::min(*due, at) : at; };
    if (const auto greetAt = greeting.DueMs()) {
        earliest(*greetAt);
    }
    // A paced line also takes the host's bytes no faster than its rate: what waits stays in
    // the pty, where the host sees it as its output queue.
    if (inputPacer.Limited() && inputPacer.Allowance(nowMs) == 0) {
        wait.masterEvents = 0;
        earliest(nowMs + inputPacer.WaitMs());
    }
    if (pendingHead < pending.size()) {
        const std::uint64_t paced = pacer.WaitMs();
        if (paced == 0) {
            wait.masterEvents |= POLLOUT;
        } else {
            earliest(nowMs + paced);
        }
    }
    if (due) {
        // a deadline already passed still waits a millisecond: nothing may spin
        const std::uint64_t left = *due > nowMs ? *due - nowMs : 0;
        wait.timeoutMs = static_cast<int>(std::clamp<std::uint64_t>(left, 1, kMaxWaitMs));
    }
    return wait;
}

void SimServer::GreetIfDue(std::uint64_t nowMs) {
    if (!greeting.Due(nowMs)) {
        return;
    }
    if (device.Greet()) {
        Note("a host opened the line: showing the prompt");
        greeting.Said(nowMs);
    } else {
        greeting.HostSpoke(); // busy with the host already
    }
}

void SimServer::RefreshHostLine() {
    const auto line = pty.HostSettings();
    if (!line) {
        return;
    }
    device.SetHostLine(*line);
    if (options.lineRateAuto) {
        pacer.SetBaud(line->baudRate);
        inputPacer.SetBaud(line->baudRate);
    }
}

std::string SimServer::ReadHost(std::uint64_t nowMs) {
    char block[kReadBlock];
    std::size_t room = sizeof block;
    if (inputPacer.Limited()) {
        room = std::min(room, inputPacer.Allowance(nowMs));
        if (room == 0) {
            return {};
        }
    }
    const PseudoTerminal::Reading reading = pty.Read(block, room);
    if (reading.error != 0) {
        return std::string("reading the pty failed: ") + std::strerror(reading.error);
    }
    if (reading.hostPurgedInput) {
        greeting.HostPurged(nowMs);
    }
    if (reading.bytes == 0) {
        return {};
    }
    greeting.HostSpoke();
    auto taken = reading.bytes;
    if (inputPacer.Limited()) {
        inputPacer.Spent(taken);
    }
    const bool armed = options.hangupAfter > 0 && !faultsSpent;
    if (armed) {
        taken = std::min(taken, options.hangupAfter - received);
    }
    received += taken;
    RefreshHostLine(); // the host may have changed its rate just before writing
    LogTraffic("host>", {block, taken});
    device.Feed({reinterpret_cast<const std::uint8_t*>(block), taken}, nowMs);
    if (armed && received >= options.hangupAfter) {
        HangUpFault(nowMs, "hanging up after " + std::to_string(received) + " bytes from the host");
    }
    return {};
}

void SimServer::Queue(std::string_view text) {
    if (pending.size() - pendingHead + text.size() > kMaxPendingOutput) {
        Note("output backlog full, " + std::to_string(text.size()) + " bytes dropped");
        return;
    }
    pending.append(text);
}

void SimServer::Flush(std::uint64_t nowMs) {
    const bool armed = options.hangupAfterSent > 0 && !faultsSpent;
    while (pendingHead < pending.size()) {
        const std::size_t allowed = pacer.Allowance(nowMs);
        std::size_t count = std::min(pending.size() - pendingHead, allowed);
        if (armed) {
            count = std::min(count, options.hangupAfterSent - sent);
        }
        if (count == 0) {
            break;
        }
        const ssize_t written = ::write(pty.MasterFd(), pending.data() + pendingHead, count);
        if (written <= 0) {
            break; // the host is not reading: keep the rest for later
        }
        const auto done = static_cast<std::size_t>(written);
        LogTraffic("sim< ", std::string_view(pending).substr(pendingHead, done));
        pacer.Spent(done);
        pendingHead += done;
        sent += done;
        if (armed && sent >= options.hangupAfterSent) {
            HangUpFault(nowMs, "hanging up after " + std::to_string(sent) + " bytes to the host");
            return;
        }
    }
    if (pendingHead == pending.size()) {
        pending.clear();
        pendingHead = 0;
    } else if (pendingHead > kCompactAt) {
        pending.erase(0, pendingHead);
        pendingHead = 0;
    }
}

void SimServer::LogTraffic(const char* direction, std::string_view bytes) const {
    if (options.verbose && !bytes.empty()) {
        std::fprintf(stderr, "t8sim %s %s\n", direction, Escaped(bytes).c_str());
    }
}

void SimServer::Note(std::string_view text) const {
    if (options.verbose) {
        std::fprintf(stderr, "t8sim: %.*s\n", static_cast<int>(text.size()), text.data());
    }
}

} // namespace t8::sim
