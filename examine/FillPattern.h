#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace t8 {

// The fill byte as the settings page shows it: two upper-case hex digits, more above 0xFF.
[[nodiscard]] std::string FormatFillPattern(std::uint32_t pattern);
// What the page makes of its text: at most two hex digits after optional white space; a text
// without any leaves `previous` in place.
[[nodiscard]] std::uint32_t ScanFillPattern(std::string_view text, std::uint32_t previous);

} // namespace t8
