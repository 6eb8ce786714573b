#pragma once

#include "sim/device/ChipSocket.h"
#include "sim/device/Memory.h"
#include "sim/records/Format.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

namespace t8::sim {

inline constexpr std::size_t kRamSize = 0x100000; // addresses of five hex digits
inline constexpr std::size_t kEepromSize = 0x10000;
inline constexpr std::size_t kSystemRamSize = 0x100;
inline constexpr std::size_t kLibrarySize = 0xF800; // library records lie below F800
inline constexpr std::size_t kMaxBytesPerRecord = 64;
inline constexpr std::uint32_t kLibraryBaud = 9600;

// The BA menu in the order of the baud codes: blanks step from 9600 to the others.
inline constexpr std::array<std::uint32_t, 9> kBaudSteps = {9600, 14400, 28800, 115200, 300,
                                                            600,  1200,  2400,  4800};

// Everything the device remembers; the dialogues work on it.
struct DeviceState {
    Memory ram{kRamSize};
    Memory eeprom{kEepromSize};
    Memory systemRam{kSystemRamSize, 0x00};
    Memory library{kLibrarySize};
    ChipSocket socket;

    Format format = Format::Intel;
    std::size_t bytesPerRecord = 16;
    std::uint32_t baudRate = 115200;
    std::uint32_t pendingBaudRate = 0; // taken up when the dialogue that chose it closes
    std::uint32_t quietGapMs = 1000;
    std::size_t corruptRecord = 0; // 1-based record of the next SE/SX output to spoil; 0 none
    std::size_t libraryRecords = 0;
    bool libraryLoaded = false;
    bool libraryRunning = false;
    std::uint32_t libraryBaudRate = 0; // the rate the started library talks at; 0 before

    std::uint32_t randomSeed = 0x2545F491;

    // Settings of the small option menus, by index into their lists.
    std::size_t sound = 0;
    std::size_t protection = 0;
    std::size_t powerMode = 0;
    std::size_t setup = 0;
    std::size_t configuration = 0;
    std::size_t lockMode = 0;
};

// What a dialogue works with: the state, the line to the host, and the time.
struct DialogueContext {
    DeviceState& state;
    std::function<void(std::string_view)> say;
    std::uint64_t nowMs = 0;
};

} // namespace t8::sim
