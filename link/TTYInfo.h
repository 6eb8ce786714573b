#pragma once

#include "link/LineSettings.h"

#include <array>
#include <cstdint>
#include <string>

namespace t8 {

inline constexpr std::size_t kScreenBytes = 16384;
inline constexpr std::size_t kFaceNameMax = 31; // characters, as the platform's record holds 32
inline constexpr std::uint8_t kCharSetOem = 255;
inline constexpr std::uint32_t kDefaultBaudRate = 115200;

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

// The record's COM settings: what the "COM Port" page edits on a copy and writes back on OK.
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
};

// The one connection record: port settings, terminal options, screen geometry, fill options
// and the transfer flags. Plain data, so the settings pages can work on copies. The open port
// and the reader live in SerialLink beside it.
struct TTYInfo : ComPortSettings {
    // Declared so that TTYInfo{} value-initialises: GCC 12 warns falsely about the base's
    // string when an aggregate with a base is brace-initialised.
    TTYInfo() = default;

    std::uint32_t connected = 0;
    std::uint32_t comXonXoff = 0;

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

    std::array<std::uint8_t, kScreenBytes> screen = SpaceFilledScreen();
    std::uint16_t caretShown = 0;
    LogFont logFont;
    std::uint32_t textColour = 0x000000; // 0x00BBGGRR
    std::uint32_t backColour = 0xFFFFFF; // the window colour; the view may set the theme's
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
    std::int32_t maxScrollX = 0;
    std::int32_t maxScrollY = 0;
    std::int32_t scrollX = 0;
    std::int32_t scrollY = 0;
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t charWidth = 0;
    std::int32_t charHeight = 0;
    std::int32_t rows = 25;
    std::int32_t columns = 80;
    std::int32_t visibleRows = 0;
    std::uint32_t echoActive = 0;
    std::uint32_t readerRunning = 0;
    std::uint32_t fillUnused = 0;
    std::uint32_t fillPattern = 0;
    std::uint32_t captureOn = 0;
    std::uint32_t addressPromptActive = 0;
    std::uint32_t receiveActive = 0;
    std::uint32_t sendPending = 0;

    [[nodiscard]] LineSettings Line() const {
        return {baudRate, byteSize, parity, stopBits, flowCtrl};
    }

private:
    static std::array<std::uint8_t, kScreenBytes> SpaceFilledScreen() {
        std::array<std::uint8_t, kScreenBytes> blank{};
        blank.fill(' ');
        return blank;
    }
};

} // namespace t8
