#pragma once

#include "sim/device/Device.h"
#include "sim/pty/OutputPacer.h"
#include "sim/pty/PowerOnGreeting.h"
#include "sim/pty/PseudoTerminal.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace t8::sim {

struct ServerOptions {
    std::string linkPath;            // symbolic link to the slave; empty for none
    std::uint32_t lineRate = 0;      // pace output at this rate; 0 unthrottled
    bool lineRateAuto = false;       // pace output at the rate the host has set
    std::size_t hangupAfter = 0;     // close the pty after this many bytes from the host; 0 never
    std::size_t hangupAfterSent = 0; // close it after this many bytes to the host; 0 never
    // After a hang-up, come back on a new pty (behind the same link) this much later, as a
    // device plugged in again; 0: a fault's hang-up ends Run().
    std::uint64_t returnAfterMs = 0;
    bool verbose = false; // log the traffic and the device's notes to stderr
    // A pulled line leaves its link behind, pointing at the pty number that is free now.
    bool leaveLinkOnPull = false;
    // Told the slave path each time the line comes back, just before the link is made again.
    std::function<void(const std::string&)> lineBack;
};

// Serves the simulated device on a pseudo-terminal: reads what the host writes, hands it to the
// device with the host's line settings, writes the answers, ticks the device's clock. It wakes
// only for the host (an open, a purge, bytes, room for output) and for the device's own
// deadlines, so an idle device costs nothing. The line can be pulled (the pty closed, so the
// host sees a hang-up) and plugged in again (a new pty behind the same link, the device
// switched on afresh); each hang-up fault fires once.
class SimServer {
public:
    static constexpr std::size_t kReadBlock = 2048;
    // The longest single wait for a deadline; longer ones are waited for in steps.
    static constexpr std::uint64_t kMaxWaitMs = 60000;
    // Output the host does not read is kept up to this much, then dropped.
    static constexpr std::size_t kMaxPendingOutput = 64U << 20;

    SimServer(const DeviceOptions& deviceOptions, ServerOptions options_);
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;
    ~SimServer();

    // Creates the pty (and the link). Returns an error text, or empty.
    [[nodiscard]] std::string Open();
    [[nodiscard]] const std::string& SlavePath() const { return pty.SlavePath(); }
    [[nodiscard]] Device& GetDevice() { return device; }

    // Serves until Stop(), until `stopFd` (a signalfd, say) becomes readable, or until a
    // hang-up fault closed the pty with no return set. `toggleFd` readable (a signalfd for
    // SIGUSR1, say) does what ToggleLine() does. Returns an error text, or empty.
    [[nodiscard]] std::string Run(int stopFd = -1, int toggleFd = -1);
    // Ends Run() from any thread.
    void Stop();
    // From any thread: pulls the line if it is up, plugs it in again if it is down.
    void ToggleLine();
    // From any thread: whether the line is plugged in.
    [[nodiscard]] bool LineUp() const { return lineUp.load(); }

private:
    // What the next poll waits for: the master's events and a time-out (-1: none).
    struct Wait {
        short masterEvents = 0;
        int timeoutMs = -1;
    };

    [[nodiscard]] Wait NextWait(std::uint64_t nowMs);
    [[nodiscard]] int DownWaitMs(std::uint64_t nowMs) const;
    // Closes the pty; the device is off until the line comes back.
    void Pull(std::uint64_t nowMs, const std::string& why);
    // A hang-up fault: the line is pulled; with no return set, Run() ends.
    void HangUpFault(std::uint64_t nowMs, const std::string& why);
    [[nodiscard]] std::string PlugIn(std::uint64_t nowMs);
    [[nodiscard]] std::string Toggle(std::uint64_t nowMs);
    void GreetIfDue(std::uint64_t nowMs);
    [[nodiscard]] std::string ReadHost(std::uint64_t nowMs);
    void Flush(std::uint64_t nowMs);
    void Queue(std::string_view text);
    void RefreshHostLine();
    void LogTraffic(const char* direction, std::string_view bytes) const;
    void Note(std::string_view text) const;

    ServerOptions options;
    PseudoTerminal pty;
    Device device;
    OutputPacer pacer;
    OutputPacer inputPacer; // the same line rate for what the host sends
    PowerOnGreeting greeting;
    std::string pending;
    std::size_t pendingHead = 0;
    std::size_t received = 0;
    std::size_t sent = 0;
    bool faultsSpent = false; // a fault's hang-up came: it does not come again
    bool hungUp = false;
    std::optional<std::uint64_t> returnAtMs;
    std::atomic<bool> lineUp{false};
    int stopEvent = -1;
    int toggleEvent = -1;
};

} // namespace t8::sim
