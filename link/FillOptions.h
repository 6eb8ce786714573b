#pragma once

#include <cstdint>

namespace t8 {

// The examination's fill: whether unused space counts as filled, and with which byte (the
// pattern's low byte). Stored; the examine settings sheet edits it.
struct FillOptions {
    std::uint32_t unused = 0;
    std::uint32_t pattern = 0;
};

} // namespace t8
