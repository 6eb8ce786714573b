#pragma once

#include "link/ScreenState.h"

#include <cstddef>
#include <cstdint>

namespace t8 {

// Leaves at least two rows: the cursor row and the blank last row.
inline constexpr std::int32_t kMaxScreenColumns = static_cast<std::int32_t>(kScreenBytes / 3);

// Rows the buffer holds at `columns` columns; the last of them is kept blank.
[[nodiscard]] constexpr std::int32_t RowsFor(std::int32_t columns) {
    return static_cast<std::int32_t>(kScreenBytes) / columns - 1;
}

// Brings the shape and the cursor back into the buffer's bounds: the record is plain data that
// others may touch, and the buffer is never indexed outside them.
void RepairShape(ScreenState& screen);

// As many columns as whole cells fit in `width` pixels, and the rows they leave; the shape
// stays while the cells have no width or the client is narrower than one.
void ApplyColumns(ScreenState& screen, std::int32_t width);

// How many line feeds after a carriage return leave nothing of the earlier text on the screen,
// wherever the cursor stood: enough to bring the cursor to the bottom row and then to scroll
// every row away. 0 (show every byte) while under two rows are visible: a line feed then leaves
// the view a row above where a character leaves it, so where it ends depends on every line.
[[nodiscard]] std::size_t HidingLineFeeds(const ScreenState& screen);

} // namespace t8
