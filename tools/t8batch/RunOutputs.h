#pragma once

#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/RunReport.h"
#include "tools/t8batch/Transcript.h"

#include <functional>
#include <string>

namespace t8 {

// The run's files once it has ended: the transcript's verdict line, the --junit report, the
// --record line. A file that cannot be written turns a run that passed into a file error and
// says why; a run that failed keeps its cause, and the message adds what could not be written.
// A record that cannot be written fails the run whatever else, and the JUnit report is written
// again to say so; the transcript's last line is always the final verdict. `interrupted` tells
// a wait for the record's lock that a stop signal came.
void WriteOutputs(RunReport& report, const BatchOptions& options, const std::string& version,
                  Transcript& transcript, const std::function<bool()>& interrupted);

} // namespace t8
