#include "terminal/ScreenDamage.h"

#include <algorithm>
#include <cstdlib>

namespace t8 {

void DamageAccumulator::AddCell(std::int32_t left, std::int32_t top, std::int32_t width,
                                std::int32_t height) {
    const PixelRect cell{left, top, left + width, top + height};
    if (wholeClient || cell.IsEmpty()) { // the whole client is repainted anyway
        return;
    }
    if (content.IsEmpty()) {
        content = cell;
        return;
    }
    content = {std::min(content.left, cell.left), std::min(content.top, cell.top),
               std::max(content.right, cell.right), std::max(content.bottom, cell.bottom)};
}

void DamageAccumulator::AddWholeClient(bool eraseFirst) {
    wholeClient = true;
    erase = erase || eraseFirst;
}

void DamageAccumulator::AddScroll(std::int32_t dx, std::int32_t dy, std::int32_t clientWidth,
                                  std::int32_t clientHeight) {
    if (wholeClient) {
        return;
    }
    scrolledX += dx;
    scrolledY += dy;
    // Once everything shown has moved out, moving pixels saves nothing: repaint it all.
    if (std::abs(scrolledX) >= clientWidth || std::abs(scrolledY) >= clientHeight) {
        AddWholeClient(true);
    }
}

ScreenDamage DamageAccumulator::Take(std::int32_t scrollX, std::int32_t scrollY) {
    ScreenDamage taken;
    taken.wholeClient = wholeClient;
    taken.erase = erase;
    if (!wholeClient) {
        taken.scrolledX = scrolledX;
        taken.scrolledY = scrolledY;
        if (!content.IsEmpty()) {
            taken.cells = {content.left - scrollX, content.top - scrollY, content.right - scrollX,
                           content.bottom - scrollY};
        }
    }
    *this = DamageAccumulator{};
    return taken;
}

} // namespace t8
