#pragma once

#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/RunReport.h"
#include "tools/t8batch/Transcript.h"

#include <string>

namespace t8 {

// The run's files once it has ended, in this order: the transcript's last line (the verdict)
// and its close, the --junit report, the --record line. A file that cannot be written turns a
// run that passed into a file error and says why; a run that failed keeps its cause, and the
// message adds what could not be written. The record is written last, with the final verdict.
void WriteOutputs(RunReport& report, const BatchOptions& options, const std::string& version,
                  Transcript& transcript);

} // namespace t8
