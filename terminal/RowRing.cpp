#include "terminal/RowRing.h"

#include <algorithm>
#include <cstring>

namespace t8 {

void RowRing::ScrollUp(std::array<std::uint8_t, kScreenBytes>& cells, std::int32_t rows,
                       std::int32_t columns) {
    if (top == 0) {
        turnedRows = rows;
        turnedColumns = columns;
    }
    const std::size_t outgoing = RowStart(0, rows, columns);
    top = top + 1 == rows ? 0 : top + 1;
    std::memset(cells.data() + outgoing, ' ', static_cast<std::size_t>(columns));
}

void RowRing::Straighten(std::array<std::uint8_t, kScreenBytes>& cells) {
    if (top == 0) {
        return;
    }
    std::uint8_t* const buffer = cells.data();
    const std::size_t used = static_cast<std::size_t>(turnedRows) * turnedColumns;
    const std::size_t head = static_cast<std::size_t>(top) * turnedColumns; // rows before row 0
    const std::size_t tail = used - head;                                   // row 0 onwards
    if (head <= tail) {
        std::memcpy(spare.data(), buffer, head);
        std::memmove(buffer, buffer + head, tail);
        std::memcpy(buffer + tail, spare.data(), head);
    } else {
        std::memcpy(spare.data(), buffer + head, tail);
        std::memmove(buffer + tail, buffer, head);
        std::memcpy(buffer, spare.data(), tail);
    }
    top = 0;
}

} // namespace t8
