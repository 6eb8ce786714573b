#include "terminal/ScreenShape.h"

#include <algorithm>

namespace t8 {

void RepairShape(ScreenState& screen) {
    screen.columns = std::clamp(screen.columns, 1, kMaxScreenColumns);
    screen.rows = std::clamp(screen.rows, 2, RowsFor(screen.columns));
    screen.row = std::clamp(screen.row, 0, screen.rows - 2);
    screen.column = std::clamp(screen.column, 0, screen.columns - 1);
}

void ApplyColumns(ScreenState& screen, std::int32_t width) {
    if (screen.charWidth <= 0) {
        return;
    }
    const std::int32_t columns = std::min(width / screen.charWidth, kMaxScreenColumns);
    if (columns == 0) {
        return; // narrower than one cell: keep the previous shape
    }
    screen.columns = columns;
    screen.rows = RowsFor(columns);
}

std::size_t HidingLineFeeds(const ScreenState& screen) {
    if (screen.visibleRows < 2) {
        return 0;
    }
    const std::int32_t columns = std::clamp(screen.columns, 1, kMaxScreenColumns);
    return 2 * static_cast<std::size_t>(std::clamp(screen.rows, 2, RowsFor(columns)));
}

} // namespace t8
