#pragma once

#include <cstdint>
#include <span>

namespace t8 {

// A rectangle in client pixels; right and bottom are exclusive.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// What changed since the widget last repainted. The widget first moves the shown content by
// (scrolledX, scrolledY), then repaints `cells` or, when `wholeClient` is set, everything.
struct ScreenDamage {
    bool wholeClient = false;
    bool erase = false;         // the repaint must clear the background first
    PixelRect cells;            // union of changed cells, in current client pixels
    std::int32_t scrolledX = 0; // pixels the content moved (negative: to the left)
    std::int32_t scrolledY = 0; // pixels the content moved (negative: up)

    [[nodiscard]] bool IsEmpty() const {
        return !wholeClient && cells.IsEmpty() && scrolledX == 0 && scrolledY == 0;
    }
};

// One text call of a repaint: the cells firstColumn..lastColumn of `row`, drawn at (x, y) and
// clipped to `strip`.
struct PaintRow {
    std::int32_t row = 0;
    std::int32_t firstColumn = 0;
    std::int32_t lastColumn = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    PixelRect strip;
    std::span<const std::uint8_t> cells;
};

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A scroll bar as the widget shows it: range 0..maximum.
struct ScrollBarState {
    std::int32_t maximum = 0;
    std::int32_t position = 0;
    std::int32_t pageStep = 0;
    std::int32_t singleStep = 0;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

enum class ScrollOrientation { Vertical, Horizontal };

} // namespace t8
