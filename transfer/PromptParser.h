#pragma once

#include "formats/TransferFormat.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace t8 {

// The range end read when none was typed: "up to the top".
inline constexpr std::int32_t kOpenRangeEnd = std::numeric_limits<std::int32_t>::max();

// What the device's answer and the operator's typed range say about a transfer.
struct PromptReading {
    TransferFormat format = TransferFormat::FormatUndetermined;
    std::int32_t rangeStart = 0;
    std::int32_t rangeEnd = 0;
};

// Hex digits from the left, either case, up to the first other character; wraps at 32 bits.
[[nodiscard]] std::uint32_t ParseHexNumber(std::string_view text);

// The format keyword (the last found of TEK, MOTOROLA, BINARY, INTEL, ASCII; `format` stays
// when there is none) and the range around the first "," (else the first ":"): the five
// characters before it and everything after it. A missing end means "up to the top".
[[nodiscard]] PromptReading ParsePromptText(std::string_view promptText, TransferFormat format);

} // namespace t8
