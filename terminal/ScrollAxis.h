#pragma once

#include <cstdint>

namespace t8 {

// The scroll handlers' codes; any other value is ignored.
enum class ScrollCode : int {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
};

// One scroll direction in pixels: the offset, its largest value, a line and a page.
struct ScrollAxis {
    std::int32_t offset = 0;
    std::int32_t maximum = 0;
    std::int32_t line = 0;
    std::int32_t page = 0;
};

// The change of the offset a scroll code asks for, clamped so that the offset stays within
// 0..maximum. 0 for the ignored codes.
[[nodiscard]] std::int32_t ScrollChange(const ScrollAxis& axis, int code, std::int32_t thumb);

// The largest offset that still fills a client of `client` pixels with `extent` pixels of content.
[[nodiscard]] std::int32_t MaxScroll(std::int64_t extent, std::int32_t client);

} // namespace t8
