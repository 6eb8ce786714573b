#pragma once

#include <QColor>

#include <cstdint>

namespace t8 {

// The store's colours are 0x00BBGGRR; the top byte is not a colour and is ignored.
inline constexpr std::uint32_t kColorRefMask = 0x00FFFFFF;

[[nodiscard]] QColor ColorFromColorRef(std::uint32_t colorRef);
// The colour's red, green and blue; alpha is dropped, an invalid colour gives black.
[[nodiscard]] std::uint32_t ColorRefFromColor(const QColor& color);

} // namespace t8
