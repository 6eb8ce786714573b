#pragma once

#include <cstddef>
#include <string>

namespace t8::bench {

// `bytes` bytes of text as a T8 sends it in a busy session: prompts and echoed commands,
// dialogue lines, menu lines redrawn in place with CR, lines too long for the window (they
// wrap), Intel HEX record streams, backspace edits and a few OEM glyphs. No bell and no XON or
// XOFF: they are signals, not text. The same text for the same size.
[[nodiscard]] std::string DeviceText(std::size_t bytes);

} // namespace t8::bench
