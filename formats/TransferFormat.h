#pragma once

#include <cstddef>
#include <string_view>

namespace t8 {

// The values are shared with the device's transfer dialogue and stored by the transfers.
enum class TransferFormat : int {
    FormatUndetermined = -1,
    FormatBinary = 1,
    FormatIntel = 2,
    FormatMotorola = 3,
    FormatAscii = 4,
    FormatTek = 5,
};

// One more than the highest format code: the number of slots a table by code needs, slot 0
// standing for undetermined and unknown codes (the format table checks it holds every code).
inline constexpr std::size_t kFormatSlots = 6;

// The device's keyword for a format ("INTEL", ...); empty for FormatUndetermined.
[[nodiscard]] std::string_view FormatKeyword(TransferFormat format);

// Case-sensitive substring match of the format table's keywords: of several in one text the one
// of the highest rank decides (TEK, MOTOROLA, BINARY, INTEL, ASCII, from lowest).
[[nodiscard]] TransferFormat MatchFormatKeywords(std::string_view text);

} // namespace t8
