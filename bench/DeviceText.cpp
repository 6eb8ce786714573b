#include "bench/DeviceText.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string_view>

namespace t8::bench {
namespace {

constexpr std::array<std::string_view, 6> kCommands = {"CH", "DU", "FF", "BA", "SE", "ER"};
constexpr std::uint32_t kLongestLine = 250; // wraps three times at 80 columns
constexpr std::uint32_t kMostRecords = 40;

// A number below `limit`.
std::uint32_t Roll(std::mt19937& random, std::uint32_t limit) {
    return static_cast<std::uint32_t>(random() % limit);
}

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// A command at the prompt and the device's dialogue lines that answer it.
void Dialogue(std::string& out, std::mt19937& random) {
    out += ">";
    out += kCommands[Roll(random, kCommands.size())];
    out += "\r\nChecksum range 00000,";
    out += Hex(Roll(random, 0x100000), 5);
    out += "\r\nChecksum " + Hex(Roll(random, 0xFFFFFFFF), 8) + "\r\n";
}

// A menu line redrawn in place, as the baud and format menus do, then confirmed.
void MenuRedraw(std::string& out, std::mt19937& random) {
    for (int step = 0; step < 4; ++step) {
        out += "\rBaud rate " + std::to_string(300U << Roll(random, 9)) + "         ";
    }
    out += "\r\n";
}

void LongLine(std::string& out, std::mt19937& random) {
    const std::uint32_t length = 81 + Roll(random, kLongestLine - 80);
    for (std::uint32_t i = 0; i < length; ++i) {
        out.push_back(static_cast<char>('0' + Roll(random, 75))); // digits, letters, signs
    }
    out += "\r\n";
}

void Records(std::string& out, std::mt19937& random) {
    const int count = 1 + static_cast<int>(Roll(random, kMostRecords));
    std::uint32_t address = Roll(random, 0x10000) & 0xFFF0;
    for (int record = 0; record < count; ++record, address += 16) {
        out += ":10" + Hex(address & 0xFFFF, 4) + "00";
        for (int byte = 0; byte < 16; ++byte) {
            out += Hex(Roll(random, 0x100), 2);
        }
        out += Hex(Roll(random, 0x100), 2) + "\r\n";
    }
}

// Typing corrected with backspace, and a line of OEM box glyphs and a tab.
void Edits(std::string& out, std::mt19937& random) {
    out += "Address " + Hex(Roll(random, 0x100000), 5) + "\b \b\b \b" + Hex(Roll(random, 0x100), 2);
    out += "\r\n\xC9\xCD\xCD\xCD\xBB\t\xB3 OK \xB3\r\n";
}

} // namespace

std::string DeviceText(std::size_t bytes) {
    using Piece = void (*)(std::string&, std::mt19937&);
    constexpr std::array<Piece, 5> kPieces = {Dialogue, MenuRedraw, LongLine, Records, Edits};
    std::mt19937 random(8);
    std::string out;
    out.reserve(bytes + kLongestLine * kMostRecords);
    while (out.size() < bytes) {
        kPieces[Roll(random, kPieces.size())](out, random);
    }
    out.resize(bytes);
    return out;
}

} // namespace t8::bench
