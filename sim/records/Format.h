#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace t8::sim {

// Transfer formats the simulated device offers. Both Tektronix forms answer with "TEK".
enum class Format : std::uint8_t { Binary, Ascii, Intel, Motorola, Tek, TekExtended };

struct FormatInfo {
    Format format;
    std::string_view name;    // as the FF menu shows it
    std::string_view keyword; // the word the host looks for in a transfer answer
    bool carriesAddresses;    // record formats wait for CR; the others ask for a load address
    bool binaryData;          // data are raw bytes, not text
};

// The FF menu order.
inline constexpr std::array<Format, 6> kFormatOrder = {Format::Intel, Format::Motorola,
                                                       Format::Tek,   Format::TekExtended,
                                                       Format::Ascii, Format::Binary};

[[nodiscard]] const FormatInfo& InfoOf(Format format);
// Accepts the menu names and keywords, any case; '-' or '_' may stand for the blank.
[[nodiscard]] std::optional<Format> FormatFromName(std::string_view name);

} // namespace t8::sim
