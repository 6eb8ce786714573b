#pragma once

#include "tools/t8batch/RunReport.h"

#include <string>
#include <vector>

namespace t8 {

// The run as a JUnit XML report, the form CI servers and test-station software read: one
// testsuite for the run (the port and the batch file among its properties), one testcase per
// T8, CMD, TX and RX line that ran (a line run again by a JUMP is another testcase) with its
// time, and a failure element on the line that was running when the run failed. A failure
// before any line ran, or after the last, is a testcase of its own.
[[nodiscard]] std::string JunitXml(const RunReport& report);

// A gang's run: a testsuite for each port ("job.t8b on ttyUSB0"), in the order given.
struct GangSuite {
    const RunReport& report;
    std::string port; // its short name
};
[[nodiscard]] std::string JunitXml(const std::vector<GangSuite>& gang);

// Text for an XML attribute or element: markup characters escaped, control characters that
// XML 1.0 cannot hold written as \xHH, bytes that are not UTF-8 as U+FFFD.
[[nodiscard]] std::string XmlText(std::string_view text);

} // namespace t8
