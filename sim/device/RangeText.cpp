#include "sim/device/RangeText.h"

#include "sim/device/Memory.h"
#include "sim/records/HexDigits.h"

#include <algorithm>

namespace t8::sim {

RangeResult ParseRangeText(std::string_view text, std::size_t size) {
    const std::size_t separator = text.find_first_of(",:");
    if (separator == std::string_view::npos) {
        return {{}, "Range needs start and end separated by a comma"};
    }
    const auto first = ParseHex(text.substr(0, separator));
    const auto last = ParseHex(text.substr(separator + 1));
    if (!first || !last) {
        return {{}, "Bad address"};
    }
    if (*last < *first) {
        return {{}, "End lies below start"};
    }
    if (*last >= size) {
        return {{},
                "Range ends beyond memory (" + HexText(static_cast<std::uint32_t>(size - 1), 5) +
                    ")"};
    }
    return {{*first, *last}, {}};
}

std::optional<std::uint32_t> ParseValueText(std::string_view text, std::size_t size) {
    const auto value = ParseHex(text);
    if (!value || *value >= size) {
        return std::nullopt;
    }
    return value;
}

std::string HexText(std::uint32_t value, int digits) {
    std::string text;
    AppendHex(text, value, digits);
    return text;
}

} // namespace t8::sim

namespace t8::sim {

std::string DumpText(const Memory& memory, const AddressRange& range) {
    constexpr std::uint32_t kPerLine = 16;
    const std::size_t shown = std::min(range.Count(), kMaxDumpBytes);
    std::string text;
    for (std::size_t offset = 0; offset < shown; offset += kPerLine) {
        const auto address = static_cast<std::uint32_t>(range.first + offset);
        const std::size_t count = std::min<std::size_t>(kPerLine, shown - offset);
        std::string chars;
        text += (offset == 0 ? "" : "\r\n") + HexText(address, 5) + " ";
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t byte = memory.At(address + static_cast<std::uint32_t>(i));
            text += " " + HexText(byte, 2);
            // '>' would read as the prompt to a host waiting for it
            const bool plain = byte >= 0x20 && byte < 0x7F && byte != '>';
            chars.push_back(plain ? static_cast<char>(byte) : '.');
        }
        text += std::string((kPerLine - count) * 3 + 2, ' ') + chars;
    }
    if (shown < range.Count()) {
        text += "\r\n... " + std::to_string(range.Count() - shown) + " more bytes not shown";
    }
    return text;
}

} // namespace t8::sim
