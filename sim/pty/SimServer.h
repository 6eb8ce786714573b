#pragma once

#include "sim/device/Device.h"
#include "sim/pty/OutputPacer.h"
#include "sim/pty/PowerOnGreeting.h"
#include "sim/pty/PseudoTerminal.h"

#include <cstdint>
#include <string>

namespace t8::sim {

struct ServerOptions {
    std::string linkPath;        // symbolic link to the slave; empty for none
    std::uint32_t lineRate = 0;  // pace output at this rate; 0 unthrottled
    bool lineRateAuto = false;   // pace output at the rate the host has set
    std::size_t hangupAfter = 0; // close the pty after this many bytes from the host; 0 never
    bool verbose = false;        // log the traffic and the device's notes to stderr
};

// Serves the simulated device on a pseudo-terminal: reads what the host writes, hands it to the
// device with the host's line settings, writes the answers, ticks the device's clock. It wakes
// only for the host (an open, a purge, bytes, room for output) and for the device's own
// deadlines, so an idle device costs nothing.
class SimServer {
public:
    static constexpr std::size_t kReadBlock = 2048;
    // The longest single wait for a deadline; longer ones are waited for in steps.
    static constexpr std::uint64_t kMaxWaitMs = 60000;
    // Output the host does not read is kept up to this much, then dropped.
    static constexpr std::size_t kMaxPendingOutput = 64U << 20;

    SimServer(const DeviceOptions& deviceOptions, ServerOptions options);
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;
    ~SimServer();

    // Creates the pty (and the link). Returns an error text, or empty.
    [[nodiscard]] std::string Open();
    [[nodiscard]] const std::string& SlavePath() const { return pty_.SlavePath(); }
    [[nodiscard]] Device& GetDevice() { return device_; }

    // Serves until Stop(), until `stopFd` (a signalfd, say) becomes readable, or until the
    // hang-up fault closed the pty. Returns an error text, or empty.
    [[nodiscard]] std::string Run(int stopFd = -1);
    // Ends Run() from any thread.
    void Stop();

private:
    // What the next poll waits for: the master's events and a time-out (-1: none).
    struct Wait {
        short masterEvents = 0;
        int timeoutMs = -1;
    };

    [[nodiscard]] Wait NextWait(std::uint64_t nowMs);
    void GreetIfDue(std::uint64_t nowMs);
    [[nodiscard]] std::string ReadHost(std::uint64_t nowMs);
    void Flush(std::uint64_t nowMs);
    void Queue(std::string_view text);
    void RefreshHostLine();
    void LogTraffic(const char* direction, std::string_view bytes) const;
    void Note(std::string_view text) const;

    ServerOptions options_;
    PseudoTerminal pty_;
    Device device_;
    OutputPacer pacer_;
    OutputPacer inputPacer_; // the same line rate for what the host sends
    PowerOnGreeting greeting_;
    std::string pending_;
    std::size_t pendingHead_ = 0;
    std::size_t received_ = 0;
    bool hungUp_ = false;
    int stopEvent_ = -1;
};

} // namespace t8::sim
