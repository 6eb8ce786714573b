#pragma once

#include "link/LogFont.h"

#include <QFont>

#include <cstdint>

namespace t8 {

// Pixel sizes a record may ask for; larger values are clamped so that a damaged store cannot
// make the terminal render glyphs of millions of pixels.
inline constexpr int kMaxFontPixels = 512;
// The em size for height 0: gives the usual monospace faces the default record's 9-pixel cell.
inline constexpr int kDefaultFontPixels = 15;
// QFont's own bound for the stretch factor, in percent.
inline constexpr int kMaxFontStretch = 4000;
inline constexpr std::int32_t kMaxFontWeight = 1000;
inline constexpr std::uint8_t kCharSetDefault = 1;

// Pitch and family byte of the record: pitch in the low two bits, family in the high four.
inline constexpr std::uint8_t kPitchMask = 0x03;
inline constexpr std::uint8_t kPitchFixed = 0x01;
inline constexpr std::uint8_t kFamilyMask = 0xF0;
inline constexpr std::uint8_t kFamilyRoman = 0x10;
inline constexpr std::uint8_t kFamilySwiss = 0x20;
inline constexpr std::uint8_t kFamilyModern = 0x30;
inline constexpr std::uint8_t kFamilyScript = 0x40;
inline constexpr std::uint8_t kFamilyDecorative = 0x50;

// The font a record describes. A negative height is the character (em) height in pixels, a
// positive one the cell height, 0 the default size; the width is the average character width
// (0: the face's own). The OEM raster faces ("FixedSys", "Terminal"), an empty face and any
// face that is not installed become the installed face of the system's fixed-pitch font, in
// the record's size, weight and slant (the record keeps the name it had). Sizes, widths and
// font queries need a running QGuiApplication; without one the font is built from the record
// alone, without measuring.
[[nodiscard]] QFont FontFromLogFont(const LogFont& logFont);

// A record for a font, for instance the one a font dialog returned: the height as a negative
// em height in pixels, the width 0 unless the font is stretched, the other fields that a
// QFont cannot hold at their defaults.
[[nodiscard]] LogFont LogFontFromFont(const QFont& font);

// The same, keeping from original what the font cannot hold (escapement, orientation, char
// set, precisions, quality, the height's sign rule) and every field whose font property is
// still what the original maps to, so that FontFromLogFont(r) maps back to r exactly.
[[nodiscard]] LogFont LogFontFromFont(const QFont& font, const LogFont& original);

// The font with the name its face gives its weight and slant ("Book" where Qt would say
// "Normal"), so that a font dialog preselects that style and not the first of its list.
[[nodiscard]] QFont WithFaceStyleName(const QFont& font);

} // namespace t8
