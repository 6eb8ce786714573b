#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace t8 {

// What the program was started with.
struct CommandLine {
    std::string file;       // the one optional file to open
    std::string port;       // explicit device path (--port), overrides the stored port
    bool showSplash = true; // --no-splash turns it off
    bool help = false;
    bool version = false;
    std::string error; // set when the arguments make no sense; the program then says so and ends
};

[[nodiscard]] CommandLine ParseCommandLine(const std::vector<std::string>& args);
[[nodiscard]] std::string CommandLineUsage();

// A file named on the command line that is also run as a batch about 2 s after the port opens.
struct StartupBatch {
    static constexpr std::size_t kMaxPath = 255;
    bool pending = false;
    std::string path;
};

// The start-up rule: a name whose lower-cased form contains "t8b" is remembered. The path is
// kept as given (file names are case-sensitive here); a name too long for the memo is not
// remembered, and the document's own batch request runs it instead.
[[nodiscard]] StartupBatch RememberStartupBatch(const std::string& file);

} // namespace t8
