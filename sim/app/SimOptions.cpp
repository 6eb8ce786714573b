#include "sim/app/SimOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace t8::sim {
namespace {

constexpr double kMaxReturnSeconds = 86400;
constexpr double kMsPerSecond = 1000;

// Sets the option from its value (empty for switches); returns an error text or empty.
using Apply = std::string (*)(SimOptions&, std::string_view);

struct OptionEntry {
    std::string_view name;
    bool takesValue;
    Apply apply;
};

template <typename Number>
std::string ToNumber(std::string_view text, Number& out, std::string_view option) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::string(option) + " needs a number, not '" + std::string(text) + "'";
    }
    out = value;
    return {};
}

std::string SetBaud(SimOptions& o, std::string_view v) {
    std::string error = ToNumber(v, o.device.baudRate, "--baud");
    if (error.empty() &&
        std::find(kBaudSteps.begin(), kBaudSteps.end(), o.device.baudRate) == kBaudSteps.end()) {
        error = "--baud takes one of the BA menu's rates: 300 600 1200 2400 4800 9600 14400 "
                "28800 115200";
    }
    return error;
}

std::string SetFormat(SimOptions& o, std::string_view v) {
    const auto format = FormatFromName(v);
    if (!format) {
        return "--format takes INTEL, MOTOROLA, TEK, TEK-EXTENDED, ASCII or BINARY";
    }
    o.device.format = *format;
    return {};
}

std::string SetLineRate(SimOptions& o, std::string_view v) {
    o.server.lineRateAuto = v == "auto";
    return o.server.lineRateAuto ? std::string() : ToNumber(v, o.server.lineRate, "--line-rate");
}

std::string SetReturnAfter(SimOptions& o, std::string_view v) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), seconds);
    if (error != std::errc() || end != v.data() + v.size() || !(seconds > 0) ||
        seconds > kMaxReturnSeconds) {
        return "--return-after needs seconds above 0 and up to " +
               std::to_string(static_cast<int>(kMaxReturnSeconds)) + ", not '" + std::string(v) +
               "'";
    }
    o.server.returnAfterMs = static_cast<std::uint64_t>(std::llround(seconds * kMsPerSecond));
    return {};
}

constexpr std::array<OptionEntry, 19> kOptions = {{
    {"--format", true, SetFormat},
    {"--baud", true, SetBaud},
    {"--link", true,
     [](SimOptions& o, std::string_view v) {
         o.server.linkPath = v;
         return std::string();
     }},
    {"--line-rate", true, SetLineRate},
    {"--xoff", false,
     [](SimOptions& o, std::string_view) {
         o.device.xoff = true;
         return std::string();
     }},
    {"--process-rate", true,
     [](SimOptions& o, std::string_view v) {
         return ToNumber(v, o.device.processRate, "--process-rate");
     }},
    {"--xoff-backlog", true,
     [](SimOptions& o, std::string_view v) {
         return ToNumber(v, o.device.xoffBacklog, "--xoff-backlog");
     }},
    {"--hangup-after", true,
     [](SimOptions& o, std::string_view v) {
         return ToNumber(v, o.server.hangupAfter, "--hangup-after");
     }},
    {"--hangup-after-sent", true,
     [](SimOptions& o, std::string_view v) {
         return ToNumber(v, o.server.hangupAfterSent, "--hangup-after-sent");
     }},
    {"--return-after", true, SetReturnAfter},
    {"--corrupt-record", true,
     [](SimOptions& o, std::string_view v) {
         return ToNumber(v, o.device.corruptRecord, "--corrupt-record");
     }},
    {"--silent", false,
     [](SimOptions& o, std::string_view) {
         o.device.silent = true;
         return std::string();
     }},
    {"--quiet-gap", true,
     [](SimOptions& o, std::string_view v) {
         return ToNumber(v, o.device.quietGapMs, "--quiet-gap");
     }},
    {"--load", true,
     [](SimOptions& o, std::string_view v) {
         o.loadPath = v;
         return std::string();
     }},
    {"--save", true,
     [](SimOptions& o, std::string_view v) {
         o.savePath = v;
         return std::string();
     }},
    {"--ignore-line-settings", false,
     [](SimOptions& o, std::string_view) {
         o.device.checkLine = false;
         return std::string();
     }},
    {"--verbose", false,
     [](SimOptions& o, std::string_view) {
         o.server.verbose = true;
         return std::string();
     }},
    {"--help", false,
     [](SimOptions& o, std::string_view) {
         o.help = true;
         return std::string();
     }},
    {"--version", false,
     [](SimOptions& o, std::string_view) {
         o.version = true;
         return std::string();
     }},
}};

const OptionEntry* FindOption(std::string_view name) {
    const auto found =
        std::find_if(kOptions.begin(), kOptions.end(),
                     [name](const OptionEntry& entry) { return entry.name == name; });
    return found == kOptions.end() ? nullptr : &*found;
}

} // namespace

OptionsResult ParseSimOptions(std::span<const std::string_view> args) {
    OptionsResult result;
    for (std::size_t i = 0; i < args.size() && result.error.empty(); ++i) {
        std::string_view name = args[i];
        std::string_view value;
        const std::size_t equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const OptionEntry* entry = FindOption(name);
        if (entry == nullptr) {
            result.error = "unknown option '" + std::string(name) + "'";
        } else if (entry->takesValue && !inlineValue && i + 1 >= args.size()) {
            result.error = std::string(name) + " needs a value";
        } else if (!entry->takesValue && inlineValue) {
            result.error = std::string(name) + " takes no value";
        } else {
            result.error =
                entry->apply(result.options, entry->takesValue && !inlineValue ? args[++i] : value);
        }
    }
    DeviceOptions& device = result.options.device;
    if (device.xoff && device.processRate == 0) {
        device.processRate = kDefaultXoffRate;
    }
    return result;
}

std::string HelpText() {
    return R"(Usage: t8sim [OPTION]...
Plays a T8 device programmer on a pseudo-terminal. The first line printed is the pty's
slave path (/dev/pts/N); connect the host program or a terminal to it, for instance
  socat -,raw,echo=0 /dev/pts/N      or      picocom -b 115200 /dev/pts/N
It shows its '>' prompt when a host first opens the line, as a T8 switched on then would
(a host that opens it later finds it on already: ENTER brings the prompt). Then type
two-letter commands (CH, DU, FF, BA, SE, RE ...).
X and Y are up and down, backspace and blank left and right, ENTER confirms, ESC leaves.

Options:
  --format KEYWORD        transfer format at start: INTEL (default), MOTOROLA, TEK,
                          TEK-EXTENDED, ASCII or BINARY (FF changes it)
  --baud N                the device's rate at start, default 115200; one of 300 600 1200
                          2400 4800 9600 14400 28800 115200 (BA changes it)
  --link PATH             make a symbolic link PATH to the pty slave, removed at exit
  --line-rate N|auto|0    pace the line at N baud (N/10 bytes a second) both ways; auto: at
                          the rate the host has set; 0: unthrottled (default)
  --xoff                  send XOFF (0x13) when input backs up during a receive, XON (0x11)
                          when it has drained
  --process-rate N        bytes a second a receive takes in (default 0: no limit; 2000 with
                          --xoff)
  --xoff-backlog N        waiting input bytes that trigger XOFF (default 256)
  --hangup-after N        close the pty, so the host sees a hang-up, after N bytes from it
  --hangup-after-sent N   the same after N bytes to the host (during a receive, say)
  --return-after SECONDS  come back SECONDS (decimals allowed) after a hang-up, as a device
                          unplugged and plugged in again: a new pty behind the same --link,
                          its path printed as a new line, the device switched on afresh
                          (it greets the first host that opens the line; the memories stay);
                          each hang-up fault then fires once; without it a fault's hang-up
                          ends t8sim
  --corrupt-record K      spoil record K (from 1) of the next SE/SX output so its check fails
  --silent                read and drop everything, never answer
  --quiet-gap MS          silence that ends a BINARY or ASCII receive (default 1000)
  --load FILE             binary image placed in RAM at address 0 at start
  --save FILE             RAM (1 MiB) written to FILE at exit
  --ignore-line-settings  take the host's bytes whatever its rate and frame; by default a
                          host at another rate than the device, or not 8N1, is line noise
  --verbose               log the traffic and the device's notes to stderr
  --help                  show this text
  --version               show the version

SIGINT or SIGTERM end it cleanly (the link removed, --save written). SIGUSR1 pulls the
line (the host sees a hang-up) or, while it is pulled, plugs it in again.
)";
}

} // namespace t8::sim
