#pragma once

#include <cstdint>

namespace t8 {

// Flow-control bits of ComPortSettings::flowCtrl.
inline constexpr std::uint8_t kFlowDtrDsr = 0x01;
inline constexpr std::uint8_t kFlowRtsCts = 0x02;
inline constexpr std::uint8_t kFlowXonXoff = 0x04;

// Parity codes as the settings store keeps them.
inline constexpr std::uint8_t kParityNone = 0;
inline constexpr std::uint8_t kParityOdd = 1;
inline constexpr std::uint8_t kParityEven = 2;
inline constexpr std::uint8_t kParityMark = 3;
inline constexpr std::uint8_t kParitySpace = 4;

// Stop-bit codes.
inline constexpr std::uint8_t kStopOne = 0;
inline constexpr std::uint8_t kStopOneAndHalf = 1;
inline constexpr std::uint8_t kStopTwo = 2;

// Modem status bits, in the values the connection check tests.
inline constexpr std::uint32_t kModemCts = 0x10;
inline constexpr std::uint32_t kModemDsr = 0x20;
inline constexpr std::uint32_t kModemRing = 0x40;
inline constexpr std::uint32_t kModemRlsd = 0x80;

inline constexpr std::uint8_t kXonChar = 0x11;
inline constexpr std::uint8_t kXoffChar = 0x13;

// What reaches the line: rate, frame and flow control.
struct LineSettings {
    std::uint32_t baudRate = 115200;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = kParityNone;
    std::uint8_t stopBits = kStopOne;
    std::uint8_t flowCtrl = 0;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// Milliseconds allowed per written byte; 0 means no write timeout (every rate above 19200).
[[nodiscard]] constexpr std::uint32_t WriteTimeoutPerByteMs(std::uint32_t baudRate) {
    return baudRate == 0 ? 0 : 19200 / baudRate;
}

} // namespace t8
