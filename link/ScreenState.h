#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace t8 {

inline constexpr std::size_t kScreenBytes = 16384;

// The terminal screen's state: the cell buffer (rows of `columns` bytes), the cursor, the
// caret, the client area and cell size in pixels, and the scroll offsets. The screen model
// keeps it; the link reads the cursor column and shows or hides the caret.
struct ScreenState {
    std::array<std::uint8_t, kScreenBytes> cells = SpaceFilled();
    std::uint16_t caretShown = 0;
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
    std::int32_t maxScrollX = 0;
    std::int32_t maxScrollY = 0;
    std::int32_t scrollX = 0;
    std::int32_t scrollY = 0;
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t charWidth = 0;
    std::int32_t charHeight = 0;
    std::int32_t rows = 25;
    std::int32_t columns = 80;
    std::int32_t visibleRows = 0;

private:
    static std::array<std::uint8_t, kScreenBytes> SpaceFilled() {
        std::array<std::uint8_t, kScreenBytes> blank{};
        blank.fill(' ');
        return blank;
    }
};

} // namespace t8
