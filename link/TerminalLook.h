#pragma once

#include "link/LogFont.h"

#include <cstdint>

namespace t8 {

// How the terminal shows its text: the font and the two colours (0x00BBGGRR), and whether the
// time each line began is shown beside it and written into saved captures; all stored.
struct TerminalLook {
    LogFont logFont;
    std::uint32_t textColour = 0x000000;
    std::uint32_t backColour = 0xFFFFFF; // the window colour; the view may set the theme's
    std::uint32_t timestamps = 0;
    std::uint32_t captureTimestamps = 0;
};

} // namespace t8
