#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace t8::sim {

// A byte store of fixed size, as the device's RAM buffer, EEPROM or socket are.
class Memory {
public:
    explicit Memory(std::size_t size, std::uint8_t fill = 0xFF) : bytes(size, fill) {}

    [[nodiscard]] std::size_t Size() const { return bytes.size(); }
    [[nodiscard]] bool Contains(std::uint32_t first, std::size_t count) const {
        return first <= bytes.size() && count <= bytes.size() - first;
    }
    [[nodiscard]] std::uint8_t At(std::uint32_t address) const { return bytes.at(address); }
    void Set(std::uint32_t address, std::uint8_t value) { bytes.at(address) = value; }

    // The bytes of a range that Contains() accepts.
    [[nodiscard]] std::span<const std::uint8_t> View(std::uint32_t first, std::size_t count) const {
        return std::span<const std::uint8_t>(bytes).subspan(first, count);
    }
    [[nodiscard]] std::span<std::uint8_t> Span(std::uint32_t first, std::size_t count) {
        return std::span<std::uint8_t>(bytes).subspan(first, count);
    }
    // False, and nothing written, when the bytes do not fit.
    bool Write(std::uint32_t address, std::span<const std::uint8_t> data);
    void Fill(std::uint8_t value) { std::fill(bytes.begin(), bytes.end(), value); }
    // 32-bit sum of the bytes of a range that Contains() accepts.
    [[nodiscard]] std::uint32_t Sum(std::uint32_t first, std::size_t count) const;

private:
    std::vector<std::uint8_t> bytes;
};

} // namespace t8::sim
