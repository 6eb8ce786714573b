#pragma once

#include <cstdint>

namespace t8 {

// View flags the link shares with the screen processing, the transfers and the batch executor.
// All of them live on the user-interface thread.
struct LinkFlags {
    std::uint32_t txAllowed = 1;   // XON/XOFF state, written by the screen processing
    std::uint32_t promptSeen = 0;  // the device's prompt ">" arrived
    std::uint32_t displayHeld = 0; // while non-zero, blocks that would go to the screen are dropped
};

} // namespace t8
