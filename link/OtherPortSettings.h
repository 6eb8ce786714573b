#pragma once

#include <cstdint>

namespace t8 {

// The LPT and USB options: kept in the store and written back as they were read; no page of
// the port sheet shows them and no port of those kinds is opened.
struct OtherPortSettings {
    std::uint8_t lptPort = 1;
    std::uint8_t lptByteWidth = 0;
    std::uint32_t lptActive = 0;
    std::uint32_t lptLocalEcho = 0;
    std::uint32_t lptNewLine = 0;
    std::uint32_t lptAutoWrap = 1;
    std::uint32_t usbActive = 0;
    std::uint32_t usbLocalEcho = 0;
    std::uint32_t usbNewLine = 0;
    std::uint32_t usbAutoWrap = 1;
};

} // namespace t8
