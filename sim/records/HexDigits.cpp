#include "sim/records/HexDigits.h"

namespace t8::sim {

int NibbleValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void AppendHex(std::string& out, std::uint32_t value, int digits) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(value >> shift) & 0xFU]);
    }
}

std::optional<std::uint32_t> ParseHex(std::string_view text) {
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        const int nibble = NibbleValue(c);
        if (nibble < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(nibble);
    }
    return value;
}

std::uint32_t HexValue(std::string_view text) {
    return ParseHex(text).value_or(0);
}

std::uint32_t NibbleSum(std::string_view text) {
    std::uint32_t sum = 0;
    for (const char c : text) {
        const int nibble = NibbleValue(c);
        sum += nibble < 0 ? 0U : static_cast<std::uint32_t>(nibble);
    }
    return sum;
}

void BumpHexDigit(std::string& text, std::size_t index) {
    if (index >= text.size()) {
        return;
    }
    const int nibble = NibbleValue(text[index]);
    std::string digit;
    AppendHex(digit, static_cast<std::uint32_t>(nibble + 1) & 0xFU, 1);
    text[index] = digit[0];
}

} // namespace t8::sim
