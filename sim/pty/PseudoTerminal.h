#pragma once

#include "sim/device/HostLine.h"

#include <cstddef>
#include <optional>
#include <string>

namespace t8::sim {

// The device's end of a pseudo-terminal. It keeps a descriptor of the slave open itself, so
// the pty lives on while the host closes and reopens the slave. The master runs in packet mode,
// so that a read also tells when the host purged its queues, and a watch on the slave tells
// when a host opens it: the simulator needs no polling to follow the host.
class PseudoTerminal {
public:
    // The largest read Read() makes.
    static constexpr std::size_t kMaxRead = 4096;

    // What one read of the master brought.
    struct Reading {
        std::size_t bytes = 0;        // the host's bytes, copied to the caller's buffer
        bool hostPurgedInput = false; // the host discarded what it had not read of ours
        int error = 0;                // errno of a failed read; 0 also when nothing was there
    };

    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    // Creates the pty with its slave in raw mode at `baudRate`. Returns an error text, or empty.
    [[nodiscard]] std::string Open(std::uint32_t baudRate);
    // Makes a symbolic link to the slave, removed again by Close().
    [[nodiscard]] std::string Link(const std::string& path);
    // Closes both ends: the host sees a hang-up.
    void Close();
    // The link is no longer ours: Close() leaves it behind, as a device that vanished without
    // tidying up does.
    void ForgetLink() { linkPath.clear(); }

    // Reads at most `room` (up to kMaxRead) bytes the host wrote; never blocks.
    [[nodiscard]] Reading Read(char* buffer, std::size_t room);
    // Readable after a host opened the slave; -1 where the kernel cannot watch it.
    [[nodiscard]] int OpenWatchFd() const { return watch; }
    // Empties the watch; true when a host opened the slave since the last call.
    [[nodiscard]] bool TakeHostOpened();

    [[nodiscard]] bool IsOpen() const { return master >= 0; }
    [[nodiscard]] int MasterFd() const { return master; }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath; }
    [[nodiscard]] std::optional<HostLine> HostSettings() const;

private:
    void WatchOpens();

    int master = -1;
    int slave = -1;
    int watch = -1;
    std::string slavePath;
    std::string linkPath;
};

} // namespace t8::sim
