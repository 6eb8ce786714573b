#include "tools/t8batch/GangRun.h"

#include "tools/t8batch/GangSummary.h"
#include "tools/t8batch/JunitReport.h"
#include "transfer/save/SaveFile.h"

#include <cstdio>

namespace t8 {

namespace {

void PrintNow(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace

GangRun::GangRun(const BatchOptions& options_, const std::vector<GangPort>& ports,
                 std::string version_)
    : options(options_), version(std::move(version_)) {
    for (const GangPort& port : ports) {
        auto seat = std::make_unique<Seat>(Seat{port, options, nullptr});
        seat->options.port = port.address;
        seat->options.ports = {port.address};
        if (!options.logPath.empty()) {
            seat->options.logPath = PortFileName(options.logPath, port.name);
        }
        seat->run = std::make_unique<BatchRun>(seat->options, version, PortSeat{&gang, port.name});
        seats.push_back(std::move(seat));
    }
}

GangRun::~GangRun() = default;

int GangRun::Run() {
    if (!gang.Ok()) {
        std::fprintf(stderr, "t8batch: cannot set up the event loop\n");
        return ExitCode(RunResult::PortError);
    }
    for (const auto& seat : seats) {
        Seat* each = seat.get();
        const bool added = gang.Add(each->run->Loop(), [each] {
            each->run->Run();
            PrintNow(FinishedLine({each->port.address, each->port.name, each->run->Report()}) +
                     "\n");
        });
        if (!added) {
            std::fprintf(stderr, "t8batch: cannot make room to run %zu ports\n", seats.size());
            return ExitCode(RunResult::PortError);
        }
    }
    gang.Run();
    WriteJunit();
    int status = 0;
    Finish(status);
    return status;
}

// Written once every port has ended, unless a port found it would destroy a file.
void GangRun::WriteJunit() {
    if (options.junitPath.empty()) {
        return;
    }
    std::vector<GangSuite> suites;
    for (const auto& seat : seats) {
        if (seat->run->OutputsRefused()) {
            return;
        }
        suites.push_back({seat->run->Report(), seat->port.name});
    }
    const std::string xml = JunitXml(suites);
    const SaveResult saved = SaveFile(
        options.junitPath, {reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()});
    if (!saved.saved) {
        junitFailure = "cannot write the JUnit report " + options.junitPath + ": " + saved.reason;
    }
}

void GangRun::Finish(int& status) {
    std::vector<GangEntry> entries;
    for (const auto& seat : seats) {
        entries.push_back({seat->port.address, seat->port.name, seat->run->Report()});
    }
    status = GangExitStatus(entries);
    std::string verdict = GangVerdict(entries);
    if (!junitFailure.empty()) {
        // Every part's own record stands; the gang's report is what is missing.
        verdict += "; " + junitFailure;
        status = status == 0 ? ExitCode(RunResult::FileError) : status;
    }
    PrintNow("\n" + GangTable(entries));
    std::fprintf(stderr, "t8batch: %s: %s\n", options.file.c_str(), verdict.c_str());
    if (options.json) {
        PrintNow(GangJson(entries, junitFailure) + "\n");
    }
}

} // namespace t8
