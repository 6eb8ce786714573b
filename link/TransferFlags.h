#pragma once

#include <cstdint>

namespace t8 {

// Where the device's data goes besides the screen, and what typed keys answer: a capture to
// a file, a receive, an address prompt of a send or a receive.
struct TransferFlags {
    std::uint32_t captureOn = 0;
    std::uint32_t addressPromptActive = 0; // the device asks for a range; keys go to the prompt
    std::uint32_t receiveActive = 0;       // the device's bytes are the received file
    std::uint32_t sendPending = 0;         // Enter at the prompt starts the armed send
};

} // namespace t8
