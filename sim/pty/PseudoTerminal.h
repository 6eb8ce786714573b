#pragma once

#include "sim/device/HostLine.h"

#include <optional>
#include <string>

namespace t8::sim {

// The device's end of a pseudo-terminal. It keeps a descriptor of the slave open itself, so
// the pty lives on while the host closes and reopens the slave.
class PseudoTerminal {
public:
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

    [[nodiscard]] bool IsOpen() const { return master_ >= 0; }
    [[nodiscard]] int MasterFd() const { return master_; }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }
    [[nodiscard]] std::optional<HostLine> HostSettings() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

} // namespace t8::sim
