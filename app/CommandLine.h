#pragma once

#include <string>
#include <vector>

namespace t8 {

// What the program was started with.
struct CommandLine {
    std::string file;       // the one optional file to open
    std::string port;       // explicit device path (--port), overrides the stored port
    bool showSplash = true; // --no-splash turns it off
    bool reconnect = true;  // --no-reconnect: a device that hung up is not awaited this run
    bool help = false;
    bool version = false;
    std::string error; // set when the arguments make no sense; the program then says so and ends
};

[[nodiscard]] CommandLine ParseCommandLine(const std::vector<std::string>& args);
[[nodiscard]] std::string CommandLineUsage();

} // namespace t8
