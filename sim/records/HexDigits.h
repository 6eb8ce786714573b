#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace t8::sim {

// Value of one hex digit (either case), or -1 for any other character.
[[nodiscard]] int NibbleValue(char c);
[[nodiscard]] inline bool IsHex(char c) {
    return NibbleValue(c) >= 0;
}

// Appends `value` as `digits` upper-case hex digits, most significant first.
void AppendHex(std::string& out, std::uint32_t value, int digits);
inline void AppendHexByte(std::string& out, std::uint8_t value) {
    AppendHex(out, value, 2);
}

// The value of a text made only of hex digits (at most eight); nullopt otherwise.
[[nodiscard]] std::optional<std::uint32_t> ParseHex(std::string_view text);
// ParseHex for text that the caller already knows to be hex.
[[nodiscard]] std::uint32_t HexValue(std::string_view text);

// Sum of the digit values of a hex text (the nibble sums of Tektronix checks).
[[nodiscard]] std::uint32_t NibbleSum(std::string_view text);

// Replaces the hex digit at `index` by a different one, so a check over it fails.
void BumpHexDigit(std::string& text, std::size_t index);

} // namespace t8::sim
