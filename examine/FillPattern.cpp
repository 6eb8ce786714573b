#include "examine/FillPattern.h"

#include "formats/HexDigits.h"

#include <cctype>
#include <cstdio>

namespace t8 {

std::string FormatFillPattern(std::uint32_t pattern) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "%02X", pattern);
    return text;
}

std::uint32_t ScanFillPattern(std::string_view text, std::uint32_t previous) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && digits < 2 && IsHexDigit(static_cast<unsigned char>(text[i]));
         ++i, ++digits) {
        value = value * 16 + HexDigitValue(static_cast<unsigned char>(text[i]));
    }
    return digits == 0 ? previous : value;
}

} // namespace t8
