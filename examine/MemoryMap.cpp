#include "examine/MemoryMap.h"

#include <algorithm>

namespace t8 {

std::vector<MapBar> LayoutMemoryMap(std::span<const ImageSegment> segments, std::uint32_t spanStart,
                                    std::uint64_t spanLength, int width) {
    std::vector<MapBar> bars;
    if (spanLength == 0 || width <= 0) {
        return bars;
    }
    const auto span = static_cast<std::int64_t>(spanLength);
    const auto pixels = static_cast<std::int64_t>(width);
    for (const ImageSegment& segment : segments) {
        const std::int64_t first =
            std::max<std::int64_t>(std::int64_t{segment.start} - spanStart, 0);
        const std::int64_t last =
            std::min<std::int64_t>(std::int64_t{segment.end} - spanStart, span - 1);
        if (first > last) {
            continue;
        }
        const std::int64_t left = first * pixels / span;
        const std::int64_t right = std::max(left + 1, ((last + 1) * pixels + span - 1) / span);
        bars.push_back({static_cast<int>(left), static_cast<int>(std::min(right, pixels) - left)});
    }
    return bars;
}

} // namespace t8
