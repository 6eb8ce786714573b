#pragma once

#include "sim/device/Memory.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace t8::sim {

struct ChipType {
    std::string_view maker;
    std::string_view name;
    std::uint32_t size;
    std::uint8_t signature[2];
};

// The device in the ZIF socket: which type is selected and what the chip holds.
class ChipSocket {
public:
    static constexpr std::size_t kLargestChip = 0x80000;

    ChipSocket() : contents(kLargestChip) {}

    [[nodiscard]] static std::span<const ChipType> Types();
    [[nodiscard]] std::size_t SelectedIndex() const { return selected; }
    [[nodiscard]] const ChipType& Selected() const { return Types()[selected]; }
    void Select(std::size_t index) { selected = index < Types().size() ? index : 0; }

    [[nodiscard]] const Memory& Contents() const { return contents; }
    [[nodiscard]] Memory& Contents() { return contents; }

    // The operations report what happened in one operator line.
    [[nodiscard]] std::string Burn(const Memory& ram, bool verify);
    [[nodiscard]] std::string Compare(const Memory& ram) const;
    [[nodiscard]] std::string Load(Memory& ram) const;
    [[nodiscard]] std::string Erase();
    [[nodiscard]] std::string BlankCheck() const;
    [[nodiscard]] std::string Checksum() const;

private:
    std::size_t selected = 0;
    Memory contents;
};

} // namespace t8::sim
