#pragma once

#include "link/ComPortSettings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace t8 {

// The fixed lists of the "COM Port" page, in the order the page shows them.
inline constexpr std::array<std::string_view, 9> kBaudEntries = {
    "300", "600", "1200", "2400", "4800", "9600", "14400", "28800", "115200"};
inline constexpr std::array<std::string_view, 5> kDataBitsEntries = {"4 bits", "5 bits", "6 bits",
                                                                     "7 bits", "8 bits"};
inline constexpr std::array<std::string_view, 5> kParityEntries = {"NONE", "EVEN", "ODD", "SPACE",
                                                                   "MARK"};
inline constexpr std::array<std::string_view, 3> kStopBitsEntries = {"1 bit", "1 1/2 bit",
                                                                     "2 bits"};

// Bounds of a typed baud rate; what the driver then refuses fails the reopen.
inline constexpr std::uint32_t kMinTypedBaud = 50;
inline constexpr std::uint32_t kMaxTypedBaud = 4000000;

// The baud list for a rate: the fixed entries, and the rate itself in its numeric place when
// it is not one of them, so a stored 19200 is shown and kept rather than replaced by 300.
struct BaudList {
    std::vector<std::string> entries;
    int selected = 0;
};
[[nodiscard]] BaudList MakeBaudList(std::uint32_t baudRate);

// Index into the fixed lists for a record code; unknown codes select the list's default.
[[nodiscard]] int DataBitsIndex(std::uint8_t byteSize);
[[nodiscard]] int ParityIndex(std::uint8_t parity);
[[nodiscard]] int StopBitsIndex(std::uint8_t stopBits);

// Codes for list texts, compared without regard to case; anything else gives the default.
[[nodiscard]] std::uint8_t ByteSizeFromText(std::string_view text);
[[nodiscard]] std::uint8_t ParityFromText(std::string_view text);
[[nodiscard]] std::uint8_t StopBitsFromText(std::string_view text);
// The rate in a baud entry, typed or chosen; `current` when the text is no usable rate.
[[nodiscard]] std::uint32_t BaudFromText(std::string_view text, std::uint32_t current);

// The three flow-control boxes applied to the stored bits, one bit after the other; bits
// beyond the three survive only while every box is checked.
[[nodiscard]] std::uint8_t ApplyFlowBoxes(std::uint8_t flowCtrl, bool dtrDsr, bool rtsCts,
                                          bool xonXoff);

} // namespace t8
