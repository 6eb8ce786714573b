#include "tools/t8batch/RunOutputs.h"

#include "tools/t8batch/JunitReport.h"
#include "tools/t8batch/RecordFile.h"
#include "transfer/save/SaveFile.h"

#include <functional>

namespace t8 {

namespace {

// A file the run needed was not written: that is the verdict of a run that passed.
void Failed(RunReport& report, const std::string& what) {
    if (report.result == RunResult::Ok) {
        report.result = RunResult::FileError;
        report.message = what;
    } else {
        report.message += "; " + what;
    }
}

void WriteJunit(RunReport& report, const std::string& path) {
    const std::string xml = JunitXml(report);
    const SaveResult saved =
        SaveFile(path, {reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()});
    if (!saved.saved) {
        Failed(report, "cannot write the JUnit report " + path + ": " + saved.reason);
    }
}

} // namespace

void WriteOutputs(RunReport& report, const BatchOptions& options, const std::string& version,
                  Transcript& transcript, const std::function<bool()>& interrupted) {
    const bool logFailedBefore = transcript.Failed(); // then that is the verdict already
    const auto verdict = [&report] {
        return "end: " + std::string(ResultName(report.result)) + ": " + report.message;
    };
    std::string logged = verdict();
    transcript.Note(logged);
    if (transcript.Failed() && !logFailedBefore) {
        Failed(report, "cannot write the log " + options.logPath + ": " + transcript.Failure());
    }
    if (!options.junitPath.empty()) {
        WriteJunit(report, options.junitPath);
    }
    if (!options.recordPath.empty()) {
        const std::string error =
            AppendRecord(options.recordPath, report.RecordJson(version), interrupted);
        if (!error.empty()) {
            // Without its record the part cannot be traced: the run fails, whatever else.
            const std::string what =
                "cannot append the record to " + options.recordPath + ": " + error;
            report.message = report.result == RunResult::Ok
                                 ? what
                                 : what + " (the run: " + ResultName(report.result) + ": " +
                                       report.message + ")";
            report.result = RunResult::FileError;
            if (!options.junitPath.empty()) {
                WriteJunit(report, options.junitPath); // the report says how the run ended
            }
        }
    }
    if (verdict() != logged) {
        transcript.Note(verdict()); // the last line is the verdict, whatever came after
    }
    transcript.Close();
}

} // namespace t8
