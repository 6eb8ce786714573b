#include "terminal/ScrollAxis.h"

#include <algorithm>

namespace t8 {

namespace {

// The unclamped change; 64 bits so that a wild thumb position cannot overflow.
std::int64_t RequestedChange(const ScrollAxis& axis, int code, std::int32_t thumb) {
    switch (static_cast<ScrollCode>(code)) {
    case ScrollCode::LineUp:
        return -std::int64_t{axis.line};
    case ScrollCode::LineDown:
        return axis.line;
    case ScrollCode::PageUp:
        return -std::int64_t{axis.page};
    case ScrollCode::PageDown:
        return axis.page;
    case ScrollCode::ThumbPosition:
        return std::int64_t{thumb} - axis.offset;
    case ScrollCode::Top:
        return -std::int64_t{axis.offset};
    case ScrollCode::Bottom:
        return std::int64_t{axis.maximum} - axis.offset;
    case ScrollCode::ThumbTrack:
        break;
    }
    return 0;
}

} // namespace

std::int32_t ScrollChange(const ScrollAxis& axis, int code, std::int32_t thumb) {
    const std::int64_t target = std::int64_t{axis.offset} + RequestedChange(axis, code, thumb);
    const std::int64_t clamped = std::clamp<std::int64_t>(target, 0, std::max(0, axis.maximum));
    return static_cast<std::int32_t>(clamped - axis.offset);
}

std::int32_t MaxScroll(std::int64_t extent, std::int32_t client) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(0, extent - client));
}

} // namespace t8
