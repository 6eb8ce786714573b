#include "sim/device/Memory.h"

#include <algorithm>
#include <numeric>

namespace t8::sim {

bool Memory::Write(std::uint32_t address, std::span<const std::uint8_t> data) {
    if (!Contains(address, data.size())) {
        return false;
    }
    std::copy(data.begin(), data.end(), bytes.begin() + address);
    return true;
}

std::uint32_t Memory::Sum(std::uint32_t first, std::size_t count) const {
    const auto range = View(first, count);
    return std::accumulate(range.begin(), range.end(), std::uint32_t{0});
}

} // namespace t8::sim
