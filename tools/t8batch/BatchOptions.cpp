#include "tools/t8batch/BatchOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace t8 {

namespace {

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, Number low, Number high) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

using Apply = std::string (*)(BatchOptions&, const std::string&);

struct OptionEntry {
    std::string_view name;
    bool takesValue;
    Apply apply;
};

std::string SetBaud(BatchOptions& o, const std::string& v) {
    o.baud = ParseNumber(v, BatchOptions::kMinBaud, BatchOptions::kMaxBaud);
    return o.baud ? "" : "--baud takes a rate from 50 to 4000000, for example --baud 115200";
}

std::string SetTimeout(BatchOptions& o, const std::string& v) {
    const auto seconds = ParseNumber(v, 0, BatchOptions::kMaxTimeoutSeconds);
    o.timeoutSeconds = seconds.value_or(0);
    return seconds ? "" : "--timeout takes whole seconds from 0 (for ever) to 86400";
}

std::string SetDeadline(BatchOptions& o, const std::string& v) {
    const auto seconds = ParseNumber(v, 1, BatchOptions::kMaxTimeoutSeconds);
    o.deadlineSeconds = seconds.value_or(0);
    return seconds ? "" : "--deadline takes whole seconds from 1 to 86400";
}

std::string SetStep(BatchOptions& o, const std::string& v) {
    const auto ms = ParseNumber(v, BatchOptions::kMinStepMs, BatchOptions::kMaxStepMs);
    o.stepMs = ms.value_or(BatchOptions::kDefaultStepMs);
    return ms ? "" : "--step takes milliseconds from 1 to 1000";
}

// An option that names a file.
template <std::string BatchOptions::*Path>
std::string SetPath(BatchOptions& o, const std::string& v) {
    o.*Path = v;
    return v.empty() ? "--log, --record, --junit and --serial each need a file name" : "";
}

std::string SetKey(BatchOptions& o, const std::string& v) {
    constexpr std::array<std::pair<std::string_view, KeyMode>, 3> kModes{
        {{"continue", KeyMode::Continue}, {"fail", KeyMode::Fail}, {"wait", KeyMode::Wait}}};
    const auto mode = std::find_if(kModes.begin(), kModes.end(),
                                   [&](const auto& entry) { return entry.first == v; });
    if (mode == kModes.end()) {
        return "--key takes continue, fail or wait";
    }
    o.key = mode->second;
    return "";
}

// An option without a value switches its flag on.
template <bool BatchOptions::*Flag> std::string SetFlag(BatchOptions& o, const std::string&) {
    o.*Flag = true;
    return "";
}

std::string SetCheckPort(BatchOptions& o, const std::string& v) {
    o.checkPort = v;
    return v.empty() ? "--check-port needs a device, for example --check-port /dev/ttyUSB0" : "";
}

constexpr std::array<OptionEntry, 16> kOptions{{
    {"--port", true,
     [](BatchOptions& o, const std::string& v) -> std::string {
         o.port = v;
         o.ports.push_back(v);
         return v.empty() ? "--port needs a device path or a network address, for example --port "
                            "/dev/ttyUSB0"
                          : "";
     }},
    {"--baud", true, SetBaud},
    {"--timeout", true, SetTimeout},
    {"--deadline", true, SetDeadline},
    {"--step", true, SetStep},
    {"--fail-on", true,
     [](BatchOptions& o, const std::string& v) -> std::string {
         o.failOn.push_back(v);
         return v.empty() ? "--fail-on needs a text" : "";
     }},
    {"--key", true, SetKey},
    {"--log", true, SetPath<&BatchOptions::logPath>},
    {"--record", true, SetPath<&BatchOptions::recordPath>},
    {"--junit", true, SetPath<&BatchOptions::junitPath>},
    {"--serial", true, SetPath<&BatchOptions::serialPath>},
    {"--json", false, SetFlag<&BatchOptions::json>},
    {"--check", false, SetFlag<&BatchOptions::check>},
    {"--check-port", true, SetCheckPort},
    {"--help", false, SetFlag<&BatchOptions::help>},
    {"--version", false, SetFlag<&BatchOptions::version>},
}};

const OptionEntry* FindOption(std::string_view name) {
    const auto found =
        std::find_if(kOptions.begin(), kOptions.end(),
                     [name](const OptionEntry& entry) { return entry.name == name; });
    return found == kOptions.end() ? nullptr : &*found;
}

} // namespace

BatchOptions ParseBatchOptions(const std::vector<std::string>& args) {
    BatchOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!options.file.empty()) {
                options.error = "only one batch file can be run: " + arg;
                continue;
            }
            options.file = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionEntry* entry = FindOption(name);
        if (entry == nullptr) {
            options.error = "unknown option " + name;
        } else if (!entry->takesValue && equals != std::string::npos) {
            options.error = name + " takes no value";
        } else if (entry->takesValue && equals == std::string::npos && i + 1 >= args.size()) {
            options.error = name + " needs a value";
        } else {
            const std::string value = !entry->takesValue            ? std::string()
                                      : equals != std::string::npos ? arg.substr(equals + 1)
                                                                    : args[++i];
            options.error = entry->apply(options, value);
        }
    }
    if (options.error.empty() && !options.checkPort.empty() && !options.file.empty()) {
        options.error = "--check-port runs no batch file: " + options.file;
    }
    if (options.error.empty() && options.file.empty() && options.checkPort.empty() &&
        !options.help && !options.version) {
        options.error = "no batch file named";
    }
    return options;
}

bool AsksForJson(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false; // what follows is a file name
        }
        if (arg == "--json" || arg.starts_with("--json=")) {
            return true;
        }
    }
    return false;
}

std::string BatchUsage() {
    return R"(Usage: t8batch [--port DEVICE]... [--baud RATE] [--timeout SECONDS] [--deadline SECONDS]
               [--step MS] [--fail-on TEXT]... [--key continue|fail|wait] [--log FILE]
               [--record FILE] [--junit FILE] [--serial FILE] [--json] [--check] FILE
       t8batch --check-port DEVICE
Runs a T8 batch file (.t8b) on the T8 without a window, for production lines and scripts:
the same executor, transfers and receive checks as T8HostLink's Execute batch file.

  --port DEVICE      the T8's serial device (default: the port of T8HostLink's settings),
                     or a network port: rfc2217://HOST:PORT (line settings travel with the
                     bytes) or tcp://HOST:PORT (bytes only, the server's line settings);
                     given several times, or as a pattern such as
                     '/dev/serial/by-path/*-port0', the batch runs on every port at once
  --baud RATE        line rate for this run (other line settings come from the settings)
  --timeout SECONDS  longest wait for the device's prompt, and longest a TX or RX may go
                     without progress (default 60; 0 waits for ever)
  --deadline SECONDS longest the whole run may take, JUMP loops included (default: none)
  --step MS          time between typed keys and between looks for the device's prompt,
                     1 to 1000 (default 100, as in the window); a prompt that arrives
                     during a wait is taken at once, whatever the step
  --fail-on TEXT     fail the run when the device's text holds TEXT, at any moment; the
                     data of a TX or RX never count (repeatable)
  --key MODE         what a KEY line does: continue at once, fail the run, or wait for
                     Enter on standard input (default: wait on a terminal, else continue)
  --log FILE         transcript: a header with the version and the start (UTC), then
                     milliseconds since the start, what the host and the T8 sent (control
                     bytes escaped), each batch line and each transfer's size; the verdict is
                     its last line
  --record FILE      append one JSON line for the run to FILE (JSON Lines): time, station,
                     version, port and device, the batch file and each TX and RX file with
                     its SHA-256, the result; several runs may share FILE
  --junit FILE       write a JUnit XML report: a test case for each T8, CMD, TX and RX line
                     run, the failure on the line that failed
  --serial FILE      write a serial number into every TX file's image as it is sent (the
                     files on disk never change); FILE holds key = value lines (below)
  --json             print one JSON object on the last line of standard output at the end
  --check            check the file for script errors, and its TX and RX files, without
                     opening the port
  --check-port DEVICE
                     run no batch: say what keeps DEVICE (a path, or a name in /dev such
                     as ttyUSB0) from working: missing, held by another process, brltty or
                     ModemManager in the way, an FTDI latency timer above 1 ms, no permission;
                     exit 0 when nothing is found, 3 otherwise
  --help, --version

PRINT lines and status texts go to standard output; transfer progress to standard error when
it is a terminal. File names in TX and RX lines are taken beside the batch file unless they
start with "/". The batch file is read once; before the port is opened the run stops at what
--check refuses (a TX file must be a regular file that is not empty, an RX file's folder must
exist), and at an output (--log, --junit, --record) that is a file the run uses, a device or
a folder. An RX that does not end normally never replaces its file: what arrived is kept as
FILE.partial beside it.

A gang (several ports) runs every port at once in one process, each failing on its own. Each
port's log and RX files get its short name before their extension (burn.ttyUSB0.log,
readback.ttyUSB0.hex); each port appends its own --record line and has its own testsuite in
--junit. Standard output shows a line per port as it ends, then a table (port, result, exit
status, message, elapsed); --json prints one object with the result and every port's report.
The exit status is that of the first port, in the order given, that failed.

Serial numbers (--serial FILE): FILE is written once by the engineer, for instance
    next = 1000
    step = 1
    address = 0x7FF0
    bytes = 4
    encoding = little   # little, big, bcd, or ascii (decimal digits, zero-padded)
Each TX file is read in its own format (Intel HEX, Motorola S, Tektronix, ASCII hex, binary),
the number written at address in the records that hold it (their layout and address records
stay as they are), and the result sent. The address range must hold data in every TX file,
else the run stops with 4 before any key is typed. The number is taken under a lock when the
run starts (a handed-back number first, else next, which moves on by step) and noted in FILE
as reserved; a run that ends with 0 keeps it, any other end adds it to the returned list,
used first by the next run. The record, the JSON report and the log name the number. Two
runs sharing FILE never take the same number.
  t8batch --port /dev/ttyUSB0 --serial serial.txt --record runs.jsonl burn.t8b

Exit status:
  0   the batch ended normally
  1   device failure: a --fail-on text arrived, or a receive's stream check found errors or
      ended before its end
  2   timeout: no prompt within --timeout, a TX or RX without progress, or --deadline passed
  3   the port could not be opened, or the device went away; --check-port found a problem
  4   a file could not be read (the batch file, a TX file: missing, empty or not a regular
      file) or written (an RX file, the log, the JUnit report, the record), or the serial
      number cannot be used (FILE unsound, a TX file without data at its address)
  5   aborted: a KEY line with --key fail, standard input ended at a KEY pause, SIGINT,
      SIGTERM or SIGHUP (the port is closed cleanly, what was received is kept)
  64  usage error
  65  script error (unterminated quote, unknown label, a first JUMP to a label further down,
      line, word or label name too long, text in UTF-16 or UTF-32)
)";
}

} // namespace t8
