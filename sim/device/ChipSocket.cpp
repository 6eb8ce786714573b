#include "sim/device/ChipSocket.h"

#include "sim/records/HexDigits.h"

#include <array>

namespace t8::sim {
namespace {

constexpr std::array<ChipType, 8> kTypes = {{
    {"ATMEL", "AT27C256", 0x8000, {0x1E, 0x8C}},
    {"ATMEL", "AT27C512", 0x10000, {0x1E, 0x0D}},
    {"ATMEL", "AT89C51", 0x1000, {0x1E, 0x51}},
    {"ATMEL", "AT90S8515", 0x2000, {0x1E, 0x93}},
    {"AMD", "AM27C010", 0x20000, {0x01, 0x0E}},
    {"AMD", "AM29F040", 0x80000, {0x01, 0xA4}},
    {"MICROCHIP", "27C128", 0x4000, {0x29, 0x83}},
    {"LATTICE", "GAL16V8", 0x0800, {0xA1, 0x16}},
}};

std::string Hex(std::uint32_t value, int digits) {
    std::string text;
    AppendHex(text, value, digits);
    return text;
}

} // namespace

std::span<const ChipType> ChipSocket::Types() {
    return kTypes;
}

std::string ChipSocket::Burn(const Memory& ram, bool verify) {
    const std::uint32_t size = Selected().size;
    contents.Write(0, ram.View(0, size));
    std::string text = "Burn of " + std::string(Selected().name) + " done";
    if (verify) {
        text += " - verify OK";
    }
    return text + " - checksum " + Hex(contents.Sum(0, size), 8);
}

std::string ChipSocket::Compare(const Memory& ram) const {
    for (std::uint32_t address = 0; address < Selected().size; ++address) {
        if (ram.At(address) != contents.At(address)) {
            return "Difference at " + Hex(address, 5) + " - RAM " + Hex(ram.At(address), 2) +
                   " device " + Hex(contents.At(address), 2);
        }
    }
    return "Compare OK";
}

std::string ChipSocket::Load(Memory& ram) const {
    const std::uint32_t size = Selected().size;
    ram.Write(0, contents.View(0, size));
    return "Loaded " + std::to_string(size) + " bytes - checksum " + Hex(ram.Sum(0, size), 8);
}

std::string ChipSocket::Erase() {
    contents.Fill(0xFF);
    return std::string(Selected().name) + " erased";
}

std::string ChipSocket::BlankCheck() const {
    for (std::uint32_t address = 0; address < Selected().size; ++address) {
        if (contents.At(address) != 0xFF) {
            return "Device not blank at " + Hex(address, 5);
        }
    }
    return "Device is blank";
}

std::string ChipSocket::Checksum() const {
    return "Device checksum " + Hex(contents.Sum(0, Selected().size), 8);
}

} // namespace t8::sim
