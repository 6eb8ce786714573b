#pragma once

#include "tools/t8batch/RunReport.h"
#include "tools/t8batch/Transcript.h"
#include "tools/t8batch/serial/SerialRun.h"

#include <memory>
#include <string>
#include <vector>

namespace t8 {

// A run's --serial: the number reserved before the first key, noted in the report and the
// log, kept by a pass and handed back by anything else. Without --serial it does nothing and
// every TX file is sent as it is.
class RunSerial {
public:
    RunSerial(const std::string& serialPath_, Transcript& transcript_, RunReport& report_);
    RunSerial(const RunSerial&) = delete;
    RunSerial& operator=(const RunSerial&) = delete;
    ~RunSerial();

    // Every TX file must take the number before one is reserved. The problem for the
    // operator, or empty.
    [[nodiscard]] std::string Start(const std::vector<std::string>& txFiles);
    // Keeps or hands back the number the report holds, by the report's verdict.
    void Finish();
    // The file a TX line sends: the stamped copy of `path`, or `path` itself.
    [[nodiscard]] const std::string& SendPath(const std::string& path) const;

private:
    const std::string serialPath;
    Transcript& transcript;
    RunReport& report;
    std::unique_ptr<SerialRun> serial;
};

} // namespace t8
