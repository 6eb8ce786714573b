#pragma once

#include "link/ScreenState.h"
#include "terminal/ScreenTypes.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace t8 {

// A row's cells, in the order shown, by row number.
using RowCells = std::function<std::span<const std::uint8_t>(std::int32_t row)>;

// The text calls that paint the part `client` (client pixels) of the screen: one per row that
// meets it, each with the cells of the columns it shows.
[[nodiscard]] std::vector<PaintRow> PlanRows(const ScreenState& screen, const PixelRect& client,
                                             const RowCells& rowCells);

} // namespace t8
