#pragma once

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

// The device's keyword for a format ("INTEL", ...); empty for FormatUndetermined.
[[nodiscard]] std::string_view FormatKeyword(TransferFormat format);

// Case-sensitive substring match in the order TEK, MOTOROLA, BINARY, INTEL, ASCII: of several
// keywords in one text the last in this order decides.
[[nodiscard]] TransferFormat MatchFormatKeywords(std::string_view text);

} // namespace t8
