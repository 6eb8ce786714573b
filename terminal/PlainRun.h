#pragma once

#include <cstddef>
#include <cstdint>

namespace t8 {

// How many bytes from `bytes` on, at most `limit`, the screen shows as they are: it stops at
// bell, backspace, line feed and carriage return, and at XON and XOFF when they are flow
// control. Sets `prompt` when `promptChar` is among them.
[[nodiscard]] std::size_t PlainRunLength(const std::uint8_t* bytes, std::size_t limit,
                                         bool flowControl, std::uint8_t promptChar, bool& prompt);

} // namespace t8
