#pragma once

#include "link/LogFont.h"

#include <cstdint>

namespace t8 {

// How the terminal shows its text: the font and the two colours (0x00BBGGRR), and whether the
// time each line began is shown beside it and written into saved captures; all stored. The
// desktop's palette never changes them: a dark theme must not leave black text on its dark
// background, nor have its colour saved as the terminal's.
struct TerminalLook {
    LogFont logFont;
    std::uint32_t textColour = 0x000000;
    std::uint32_t backColour = 0xFFFFFF;
    std::uint32_t timestamps = 0;
    std::uint32_t captureTimestamps = 0;
};

} // namespace t8
