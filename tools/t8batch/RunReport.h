#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace t8 {

// How a t8batch run ended; each has its exit status and its name in the reports.
enum class RunResult {
    Ok,
    DeviceFailure,
    Timeout,
    PortError,
    FileError,
    Aborted,
    UsageError,
    ScriptError
};

inline constexpr int kUsageExit = 64;

[[nodiscard]] int ExitCode(RunResult result);
[[nodiscard]] const char* ResultName(RunResult result);

struct SentFile {
    std::string file;
    std::uint64_t bytes = 0; // that went to the line
    bool completed = false;
    std::string sha256; // of the file, as it was when the send began
};

struct ReceivedFile {
    std::string file; // where the data were saved: `target`, or its partial name beside it
    std::uint64_t bytes = 0;
    std::string check; // the receive's verdict, as its dialog shows it
    bool partial = false;
    std::string target; // the file the RX line names
    std::string sha256; // of the data saved
    bool saved = true;  // false: `file` could not be written, the data are lost
};

// One batch line as it ran: what JUnit makes a test case of.
struct RunStep {
    std::size_t line = 0;
    std::string text; // without its line end
    std::uint64_t startMs = 0;
    std::uint64_t endMs = 0;
};

// The device the run talked to, as far as the system knows it.
struct RunDevice {
    std::string port;      // as named (--port or the settings)
    std::string node;      // what it led to
    std::string byId;      // its /dev/serial/by-id link, if any
    std::string usbSerial; // the USB device's serial number, if any
};

struct RunReport {
    std::string file;
    RunResult result = RunResult::Ok;
    std::string message;
    std::size_t lines = 0;
    std::uint64_t elapsedMs = 0;
    std::vector<SentFile> sent;
    std::vector<ReceivedFile> received;

    // What the record and the JUnit report add.
    std::string startedUtc; // ISO 8601, milliseconds, "Z"
    std::string station;    // the host's name
    std::string fileSha256;
    RunDevice device;
    std::vector<RunStep> steps;
    std::size_t failingLine = 0;         // the line running when a failure stopped the run; 0: none
    std::optional<std::uint64_t> serial; // the number written into the TX files (--serial)

    // One line of JSON with the keys file, result, exitCode, message, lines, elapsedMs, sent
    // (file, bytes, completed) and received (file, bytes, check, partial, saved, and target
    // when partial); serial after them when the run wrote one.
    [[nodiscard]] std::string Json() const;
    // One line of JSON for --record, with the time, station, version, device and hashes.
    [[nodiscard]] std::string RecordJson(const std::string& version) const;
};

} // namespace t8
