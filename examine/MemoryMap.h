#pragma once

#include "formats/SegmentList.h"

#include <cstdint>
#include <span>
#include <vector>

namespace t8 {

// A bar of the memory-map strip, in pixels from the strip's left edge.
struct MapBar {
    int x = 0;
    int width = 0;
    bool operator==(const MapBar&) const = default;
};

// Places the segments to scale over the image span [spanStart, spanStart + spanLength) on a
// strip width pixels wide. Every segment inside the span gets at least one pixel, so a single
// byte stays visible; parts outside the span are cut off.
[[nodiscard]] std::vector<MapBar> LayoutMemoryMap(std::span<const ImageSegment> segments,
                                                  std::uint32_t spanStart, std::uint64_t spanLength,
                                                  int width);

} // namespace t8
