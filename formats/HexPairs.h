#pragma once

#include <cstddef>
#include <cstdint>

namespace t8 {

// What a run of decoded pairs adds to a record's sums.
struct HexPairSums {
    std::uint32_t values = 0; // the bytes' values
    std::uint32_t digits = 0; // the digits' values, two a byte
};

// Decodes count bytes from 2 * count characters, the first of each pair the high digit. A
// character that is no hex digit counts as 0, as HexDigitValue has it, so the result is the
// one a character at a time gives; this does the work sixteen bytes at once where it can.
HexPairSums DecodeHexPairs(const std::uint8_t* text, std::size_t count, std::uint8_t* out);

} // namespace t8
