#pragma once

#include <cstddef>
#include <cstdint>

namespace t8 {

// The sum of count bytes, modulo 2^32: what the segments and the image checksum add up,
// sixteen bytes at a time where the processor has the instructions for it.
[[nodiscard]] std::uint32_t SumBytes(const std::uint8_t* bytes, std::size_t count);

} // namespace t8
