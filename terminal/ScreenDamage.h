#pragma once

#include "terminal/ScreenTypes.h"

#include <cstdint>

namespace t8 {

// Collects what the screen processing changed until the widget repaints, so that a flood of
// data costs one repaint. Cells are kept in content pixels (unscrolled) and turned into client
// pixels when taken, so that a scroll in between cannot misplace them.
class DamageAccumulator {
public:
    void AddCell(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    void AddWholeClient(bool erase);
    // The content moved by (dx, dy) pixels inside a client of the given size.
    void AddScroll(std::int32_t dx, std::int32_t dy, std::int32_t clientWidth,
                   std::int32_t clientHeight);
    // Everything since the last call, in client pixels for the given scroll offsets.
    [[nodiscard]] ScreenDamage Take(std::int32_t scrollX, std::int32_t scrollY);

private:
    bool wholeClient = false;
    bool erase = false;
    PixelRect content;
    std::int32_t scrolledX = 0;
    std::int32_t scrolledY = 0;
};

} // namespace t8
