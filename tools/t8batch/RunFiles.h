#pragma once

#include "batch/ScriptCheck.h"
#include "tools/t8batch/RunReport.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace t8 {

struct BatchOptions;

// A batch file is read once, whole: the run checks, hashes and executes the same bytes, however
// the file changes meanwhile. Larger than this, it is no batch file.
inline constexpr std::size_t kMaxBatchFileBytes = std::size_t{64} << 20;

// The whole batch file in `text`; false with the reason in `error`.
[[nodiscard]] bool ReadBatchFile(const std::string& path, std::string& text, std::string& error);

// Why a TX line's file cannot be sent (not there, not a regular file, empty), or empty.
[[nodiscard]] std::string TxFileProblem(const std::string& path);
// Why an RX line's file cannot be written (links followed): something that is not a regular
// file is there, or its folder is missing; empty otherwise. The write itself may still fail.
[[nodiscard]] std::string RxFileProblem(const std::string& path);

// The files a run reads and writes, by the names its batch lines give them.
struct RunFileSet {
    std::string batch;
    std::vector<std::string> tx;
    std::vector<std::string> rx;
};

// Why the run's own outputs (--log, --junit, --record) cannot be used, checked before any of
// them is opened: one of them is the batch file, a TX or RX file or another output (it would
// be destroyed), a folder, a terminal or other device (a log would be typed into it), a socket;
// --junit and --record also a FIFO. /dev/null and its kind take any output but the record, a
// FIFO a log. Empty when all can be used.
[[nodiscard]] std::string OutputsProblem(const BatchOptions& options, const RunFileSet& files);

// What a run learns before it touches anything: the batch file as read once (the run checks,
// hashes and executes those bytes, however the file changes meanwhile), what --check finds in
// it with its TX and RX files, and whether the outputs can be used.
struct RunPlan {
    std::string text;
    std::string readError; // why the batch file could not be read; empty when it was
    ScriptCheck check;
    std::string outputsProblem; // empty when the outputs can be used
    RunFileSet files;
};
// On a gang's port, its RX files carry the port's name (`portName`).
[[nodiscard]] RunPlan PlanRun(const BatchOptions& options, const std::string& portName = {});

// What --check refuses stops a run before the port opens: a script error (65) before a file that
// cannot be used (4), the first of each with its line. Nothing when the run may go.
[[nodiscard]] std::optional<std::pair<RunResult, std::string>> Refusal(const ScriptCheck& check);

// ISO 8601 in UTC with milliseconds: 2026-12-07T17:29:32.123Z.
[[nodiscard]] std::string UtcTimestamp(std::chrono::system_clock::time_point when);
// The machine's host name, the station of a production record.
[[nodiscard]] std::string StationName();

} // namespace t8
