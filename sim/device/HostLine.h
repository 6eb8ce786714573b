#pragma once

#include <cstdint>

namespace t8::sim {

// How the host has set its end of the line, as the pty shows it.
struct HostLine {
    std::uint32_t baudRate = 115200;
    std::uint8_t dataBits = 8;
    char parity = 'N'; // N, O, E, M or S
    std::uint8_t stopBits = 1;

    friend bool operator==(const HostLine&, const HostLine&) = default;
};

} // namespace t8::sim
