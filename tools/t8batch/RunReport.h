#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace t8 {

// How a t8batch run ended; each has its exit status and its name in the JSON report.
enum class RunResult { Ok, DeviceFailure, Timeout, PortError, FileError, Aborted, ScriptError };

inline constexpr int kUsageExit = 64;

[[nodiscard]] int ExitCode(RunResult result);
[[nodiscard]] const char* ResultName(RunResult result);

struct SentFile {
    std::string file;
    std::uint64_t bytes = 0;
};

struct ReceivedFile {
    std::string file;
    std::uint64_t bytes = 0;
    std::string check; // the receive's verdict, as its dialog shows it
};

struct RunReport {
    std::string file;
    RunResult result = RunResult::Ok;
    std::string message;
    std::size_t lines = 0;
    std::uint64_t elapsedMs = 0;
    std::vector<SentFile> sent;
    std::vector<ReceivedFile> received;

    // One line of JSON with the keys file, result, exitCode, message, lines, elapsedMs, sent
    // and received.
    [[nodiscard]] std::string Json() const;
};

} // namespace t8
