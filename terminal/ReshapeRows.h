#pragma once

#include "link/ScreenState.h"

#include <array>
#include <cstdint>

namespace t8 {

// Lays the cells of rows of `oldColumns` out again in rows of `columns` (of which there are
// `rows`, the last kept blank). The rows up to and including the cursor's, `cursorRow`, survive,
// truncated or padded: the typed command and the device's prompt stay. When they do not all fit,
// the most recent ones are kept. Returns the cursor's row in the new shape.
[[nodiscard]] std::int32_t ReshapeRows(std::array<std::uint8_t, kScreenBytes>& cells,
                                       std::int32_t oldColumns, std::int32_t columns,
                                       std::int32_t rows, std::int32_t cursorRow);

} // namespace t8
