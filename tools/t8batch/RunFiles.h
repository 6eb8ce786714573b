#pragma once

#include <chrono>
#include <string>

namespace t8 {

// Why a TX line's file cannot be sent (not there, not a regular file, empty), or empty.
[[nodiscard]] std::string TxFileProblem(const std::string& path);
// Why an RX line's file cannot be written: something that is not a regular file is there
// (links followed), or its folder is missing; empty otherwise. The write itself may still fail.
[[nodiscard]] std::string RxFileProblem(const std::string& path);

// ISO 8601 in UTC with milliseconds: 2026-12-07T17:29:32.123Z.
[[nodiscard]] std::string UtcTimestamp(std::chrono::system_clock::time_point when);
// The machine's host name, the station of a production record.
[[nodiscard]] std::string StationName();

} // namespace t8
