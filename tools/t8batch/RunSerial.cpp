#include "tools/t8batch/RunSerial.h"

#include <cstdio>

namespace t8 {

RunSerial::RunSerial(const std::string& serialPath_, Transcript& transcript_, RunReport& report_)
    : serialPath(serialPath_), transcript(transcript_), report(report_) {
    if (!serialPath.empty()) {
        serial = std::make_unique<SerialRun>(serialPath);
    }
}

RunSerial::~RunSerial() = default;

std::string RunSerial::Start(const std::vector<std::string>& txFiles) {
    if (!serial) {
        return {};
    }
    std::string problem = serial->Check(txFiles);
    if (problem.empty()) {
        problem = serial->Start(txFiles);
    }
    report.serial = serial->Reservation().Number();
    if (report.serial) {
        transcript.Note("serial: " + serial->Describe() + " from " + serialPath);
    }
    return problem;
}

void RunSerial::Finish() {
    if (!serial || !report.serial) {
        return;
    }
    const bool passed = report.result == RunResult::Ok;
    const std::string problem = serial->Finish(passed);
    transcript.Note("serial: " + std::to_string(*report.serial) +
                    (passed ? " kept by the part" : " handed back to " + serialPath) +
                    (problem.empty() ? "" : " failed: " + problem));
    if (!problem.empty()) {
        std::fprintf(stderr, "t8batch: --serial: %s\n", problem.c_str());
    }
}

const std::string& RunSerial::SendPath(const std::string& path) const {
    return serial ? serial->SendPath(path) : path;
}

} // namespace t8
