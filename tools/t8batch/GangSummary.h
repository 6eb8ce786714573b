#pragma once

#include "tools/t8batch/RunReport.h"

#include <string>
#include <vector>

namespace t8 {

// A port of a gang once its run has ended.
struct GangEntry {
    std::string port; // as opened
    std::string name; // its short name
    const RunReport& report;
};

// 0 when every port passed; otherwise the exit status of the first port that failed, in the
// order the ports were given.
[[nodiscard]] int GangExitStatus(const std::vector<GangEntry>& entries);
// "3 of 4 ports passed; the first to fail: ttyUSB2 (device-failure)".
[[nodiscard]] std::string GangVerdict(const std::vector<GangEntry>& entries);
// The line a port gets on standard output as it ends:
// "ttyUSB0: ok (exit 0) in 12.3 s: batch file executed successfully".
[[nodiscard]] std::string FinishedLine(const GangEntry& entry);
// The table at the end, a row per port in the order given: port, result, exit status, message,
// elapsed; columns aligned, a line each.
[[nodiscard]] std::string GangTable(const std::vector<GangEntry>& entries);
// One line of JSON: result and exitCode as GangExitStatus says, the verdict as message, and
// "ports": each port's report as a run alone gives it, with "port" and "name" first. A
// `failure` of the gang's own (its JUnit report not written) makes a gang that passed a file
// error and is added to the message.
[[nodiscard]] std::string GangJson(const std::vector<GangEntry>& entries,
                                   const std::string& failure = {});

} // namespace t8
