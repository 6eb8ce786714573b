#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace t8 {

namespace detail {
// 0x10 marks "not a hex digit"; a lookup keeps the readers' inner loops branch-light.
inline constexpr std::uint8_t kNotHex = 0x10;
inline constexpr std::array<std::uint8_t, 256> kHexTable = [] {
    std::array<std::uint8_t, 256> table{};
    table.fill(kNotHex);
    for (int c = '0'; c <= '9'; ++c) {
        table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - '0');
    }
    for (int c = 'A'; c <= 'F'; ++c) {
        table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - 'A' + 10);
        table[static_cast<std::size_t>(c - 'A' + 'a')] = static_cast<std::uint8_t>(c - 'A' + 10);
    }
    return table;
}();
// The digit's value, 0 for a byte that is not one: what the readers take from a field.
inline constexpr std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c) {
        table[c] = kHexTable[c] == kNotHex ? std::uint8_t{0} : kHexTable[c];
    }
    return table;
}();
} // namespace detail

// Characters are single bytes; anything outside 0..255 (such as end of input) is not a digit.
[[nodiscard]] inline bool IsHexDigit(int c) {
    return c >= 0 && c <= 0xFF && detail::kHexTable[static_cast<std::size_t>(c)] != detail::kNotHex;
}

// Non-digits count as 0: the readers convert field characters unchecked.
[[nodiscard]] inline std::uint32_t HexDigitValue(int c) {
    return c >= 0 && c <= 0xFF ? detail::kHexValue[static_cast<std::size_t>(c)] : 0U;
}
// The same for a byte of a buffer, with no range to check.
[[nodiscard]] inline std::uint32_t HexByteValue(std::uint8_t byte) {
    return detail::kHexValue[byte];
}

// Unsigned 32-bit accumulation, so more than eight digits keep the last eight.
[[nodiscard]] std::uint32_t HexToUInt(const char* text, std::size_t count);
[[nodiscard]] std::uint32_t HexToUInt(std::string_view text);
[[nodiscard]] std::uint32_t HexDigitSum(std::string_view text);

} // namespace t8
