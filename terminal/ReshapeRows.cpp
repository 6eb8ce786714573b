#include "terminal/ReshapeRows.h"

#include <algorithm>
#include <cstring>

namespace t8 {

std::int32_t ReshapeRows(std::array<std::uint8_t, kScreenBytes>& cells, std::int32_t oldColumns,
                         std::int32_t columns, std::int32_t rows, std::int32_t cursorRow) {
    std::array<std::uint8_t, kScreenBytes> reshaped{};
    reshaped.fill(' ');
    const std::int32_t kept = std::min(cursorRow + 1, rows - 1);
    const std::int32_t firstKept = cursorRow + 1 - kept;
    const auto width = static_cast<std::size_t>(std::min(oldColumns, columns));
    for (std::int32_t i = 0; i < kept; ++i) {
        const std::size_t from = static_cast<std::size_t>(firstKept + i) * oldColumns;
        std::memcpy(reshaped.data() + static_cast<std::size_t>(i) * columns, cells.data() + from,
                    width);
    }
    cells = reshaped;
    return kept - 1;
}

} // namespace t8
