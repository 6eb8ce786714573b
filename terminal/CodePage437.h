#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace t8 {

// The glyphs of the OEM character set (code page 437) as Unicode, for fonts whose character set
// is OEM: the control bytes show their pictures (0x01 is a smiling face, 0x7F a house), bytes
// from 0x80 the accented letters, box drawing and symbols. 0x00 shows as a blank.
class CodePage437 {
public:
    [[nodiscard]] static char32_t ToUnicode(std::uint8_t byte);
    [[nodiscard]] static std::u32string Decode(std::span<const std::uint8_t> bytes);
};

} // namespace t8
