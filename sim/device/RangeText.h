#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace t8::sim {

struct AddressRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    [[nodiscard]] std::size_t Count() const { return std::size_t{last} - first + 1; }
};

// A typed range "SSSSS,EEEEE" (or with ':') inside a memory of `size` bytes; `error` says
// what is wrong otherwise.
struct RangeResult {
    AddressRange range;
    std::string error;
};
[[nodiscard]] RangeResult ParseRangeText(std::string_view text, std::size_t size);

// A typed address below `size`, or a byte value when `size` is 256.
[[nodiscard]] std::optional<std::uint32_t> ParseValueText(std::string_view text, std::size_t size);

// Upper-case hex with `digits` digits.
[[nodiscard]] std::string HexText(std::uint32_t value, int digits);

} // namespace t8::sim

namespace t8::sim {

class Memory;

// Most bytes one dump shows; the rest is summed up in a last line.
inline constexpr std::size_t kMaxDumpBytes = 1024;

// Hex dump of a range, 16 bytes a line with their characters, lines joined by CR LF.
[[nodiscard]] std::string DumpText(const Memory& memory, const AddressRange& range);

} // namespace t8::sim
