#pragma once

#include "link/ScreenState.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace t8 {

// The cell buffer's rows as a ring while the screen scrolls: a scroll turns the ring by one row
// and blanks the row that comes in, instead of moving the whole buffer up. Everyone outside the
// screen model reads the buffer row after row from its start, so the model straightens the ring
// before it hands the buffer back.
class RowRing {
public:
    // Offset of the first cell of `row` in a buffer of `rows` rows of `columns` cells.
    [[nodiscard]] std::size_t RowStart(std::int32_t row, std::int32_t rows,
                                       std::int32_t columns) const {
        std::int32_t stored = row + top;
        if (stored >= rows) {
            stored -= rows;
        }
        return static_cast<std::size_t>(stored) * static_cast<std::size_t>(columns);
    }
    // Rows 1 onwards become rows 0 onwards; the last row comes in blank.
    void ScrollUp(std::array<std::uint8_t, kScreenBytes>& cells, std::int32_t rows,
                  std::int32_t columns);
    // True while the ring is turned in a shape other than (rows, columns).
    [[nodiscard]] bool TurnedOtherThan(std::int32_t rows, std::int32_t columns) const {
        return top != 0 && (rows != turnedRows || columns != turnedColumns);
    }
    // Puts row 0 back at the buffer's start.
    void Straighten(std::array<std::uint8_t, kScreenBytes>& cells);

private:
    std::int32_t top = 0; // where row 0 is stored
    std::int32_t turnedRows = 0;
    std::int32_t turnedColumns = 0;
    std::array<std::uint8_t, kScreenBytes> spare; // the smaller part while straightening
};

} // namespace t8
