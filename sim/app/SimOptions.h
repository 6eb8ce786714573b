#pragma once

#include "sim/device/Device.h"
#include "sim/pty/SimServer.h"

#include <span>
#include <string>
#include <string_view>

namespace t8::sim {

struct SimOptions {
    DeviceOptions device;
    ServerOptions server;
    std::string loadPath; // binary image placed at address 0 at start
    std::string savePath; // RAM written here at exit
    bool help = false;
    bool version = false;
};

struct OptionsResult {
    SimOptions options;
    std::string error; // empty when the command line was good
};

// Processing rate of a receive when --xoff is given without --process-rate.
inline constexpr std::uint32_t kDefaultXoffRate = 2000;

// Reads the command line (without the program name). "--name value" and "--name=value".
[[nodiscard]] OptionsResult ParseSimOptions(std::span<const std::string_view> args);
[[nodiscard]] std::string HelpText();

} // namespace t8::sim
