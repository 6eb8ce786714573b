#include "formats/HexDigits.h"

namespace t8 {

std::uint32_t HexToUInt(const char* text, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = value * 16U + HexDigitValue(static_cast<unsigned char>(text[i]));
    }
    return value;
}

std::uint32_t HexToUInt(std::string_view text) {
    return HexToUInt(text.data(), text.size());
}

std::uint32_t HexDigitSum(std::string_view text) {
    std::uint32_t sum = 0;
    for (const char c : text) {
        sum += HexDigitValue(static_cast<unsigned char>(c));
    }
    return sum;
}

} // namespace t8
