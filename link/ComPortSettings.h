#pragma once

#include "link/LineSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace t8 {

inline constexpr std::uint32_t kDefaultBaudRate = 115200;

// The record's COM settings: what the "COM Port" page edits on a copy and writes back on OK,
// and what the link opens and configures the port with.
struct ComPortSettings {
    std::uint8_t comPort = 1;
    std::string devicePath; // overrides comPort when set (command line or the "Device" key)
    std::uint32_t comActive = 1;
    std::uint32_t comLocalEcho = 0;
    std::uint32_t comNewLine = 0;
    std::uint32_t comAutoWrap = 1;
    std::uint8_t byteSize = 8;
    std::uint8_t flowCtrl = 0;
    std::uint8_t parity = kParityNone;
    std::uint8_t stopBits = kStopOne;
    std::uint32_t baudRate = kDefaultBaudRate;
    std::uint32_t comReconnect = 1; // reopen the device by itself when it is back after a hang-up
    std::vector<std::string> recentAddresses; // network addresses chosen before, newest first

    [[nodiscard]] LineSettings Line() const {
        return {baudRate, byteSize, parity, stopBits, flowCtrl};
    }
};

} // namespace t8
