#pragma once

#include <cstdint>
#include <string>

namespace t8 {

inline constexpr std::size_t kFaceNameMax = 31; // characters, as the platform's record holds 32
inline constexpr std::uint8_t kCharSetOem = 255;

// The terminal font as the store keeps it (the platform's logical-font record).
struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 9;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = kCharSetOem;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0x31; // fixed pitch, modern family
    std::string faceName = "FixedSys";

    friend bool operator==(const LogFont&, const LogFont&) = default;
};

} // namespace t8
