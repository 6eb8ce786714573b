#pragma once

#include <cstdint>

namespace t8 {

// The line as the link has it now: open and read, and whether typed keys are echoed locally
// (the COM page's local echo, switched off while a transfer runs).
struct LineState {
    std::uint32_t connected = 0;
    std::uint32_t readerRunning = 0;
    std::uint32_t echoActive = 0;
    // software flow control for this run: written to the store, but a load clears it
    std::uint32_t comXonXoff = 0;
};

} // namespace t8
