#include "app/CommandLine.h"

namespace t8 {

namespace {

bool TakesValue(const std::string& arg, const std::string& name, std::string& value) {
    if (arg.rfind(name + "=", 0) == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size() && line.error.empty(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!line.file.empty()) {
                line.error = "only one file can be opened: " + arg;
            }
            line.file = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version" || arg == "-v") {
            line.version = true;
        } else if (arg == "--no-splash") {
            line.showSplash = false;
        } else if (arg == "--no-reconnect") {
            line.reconnect = false;
        } else if (arg == "--port" || arg == "-p") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                line.error = "--port needs a device path or a network address, for example --port "
                             "/dev/ttyUSB0";
            } else {
                line.port = args[++i];
            }
        } else if (TakesValue(arg, "--port", value)) {
            line.port = value;
            if (value.empty()) {
                line.error = "--port needs a device path or a network address, for example --port "
                             "/dev/ttyUSB0";
            }
        } else {
            line.error = "unknown option " + arg;
        }
    }
    return line;
}

std::string CommandLineUsage() {
    return "Usage: t8hostlink [options] [file]\n"
           "Desktop host for the T8 device programmer.\n\n"
           "  file               a data file to download or examine, or a .t8b batch file to run\n"
           "  -p, --port PATH    the T8's serial device, e.g. /dev/ttyUSB0 or a simulator's pty,\n"
           "                     or a network port: rfc2217://HOST:PORT, tcp://HOST:PORT\n"
           "      --no-splash    start without the splash picture\n"
           "      --no-reconnect do not reopen the device by itself when it comes back after\n"
           "                     it was unplugged (this run only)\n"
           "  -h, --help         show this help\n"
           "  -v, --version      show the version\n";
}

} // namespace t8
