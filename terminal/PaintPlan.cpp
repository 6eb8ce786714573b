#include "terminal/PaintPlan.h"

#include <algorithm>

namespace t8 {

std::vector<PaintRow> PlanRows(const ScreenState& screen, const PixelRect& client,
                               const RowCells& rowCells) {
    const std::int32_t cw = screen.charWidth;
    const std::int32_t ch = screen.charHeight;
    // Pixels left of or above the content hold no cells.
    const PixelRect area{std::max(0, client.left), std::max(0, client.top), client.right,
                         client.bottom};
    if (area.IsEmpty() || cw <= 0 || ch <= 0) {
        return {};
    }
    const auto cell = [](std::int64_t pixel, std::int32_t size) {
        return static_cast<std::int32_t>(
            std::min<std::int64_t>(pixel / size, static_cast<std::int64_t>(kScreenBytes)));
    };
    const std::int32_t firstRow =
        std::min(cell(screen.scrollY + std::int64_t{area.top}, ch), screen.rows - 1);
    const std::int32_t lastRow =
        std::min(screen.rows - 1, cell(screen.scrollY + std::int64_t{area.bottom} - 1, ch));
    const std::int32_t firstColumn =
        std::min(cell(screen.scrollX + std::int64_t{area.left}, cw), screen.columns - 1);
    const std::int32_t lastColumn =
        std::min(screen.columns - 1, cell(screen.scrollX + std::int64_t{area.right} - 1, cw));
    std::vector<PaintRow> plan;
    if (lastColumn < firstColumn) {
        return plan;
    }
    const std::int32_t count = lastColumn - firstColumn + 1;
    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        const std::int32_t x = firstColumn * cw - screen.scrollX;
        const std::int32_t y = row * ch - screen.scrollY;
        plan.push_back({row,
                        firstColumn,
                        lastColumn,
                        x,
                        y,
                        {x, y, x + count * cw, y + ch},
                        rowCells(row).subspan(static_cast<std::size_t>(firstColumn),
                                              static_cast<std::size_t>(count))});
    }
    return plan;
}

} // namespace t8
