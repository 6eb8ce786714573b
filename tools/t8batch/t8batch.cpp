// t8batch: runs a T8 batch file without a window, for production lines and scripts.
#include "batch/CLineFile.h"
#include "batch/ScriptCheck.h"
#include "generated/ProjectVersion.h"
#include "link/PortDoctor.h"
#include "link/PortFactory.h"
#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/BatchRun.h"
#include "tools/t8batch/EventLoop.h"
#include "tools/t8batch/GangPorts.h"
#include "tools/t8batch/GangRun.h"
#include "tools/t8batch/RunFiles.h"
#include "tools/t8batch/RunReport.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The verdict on standard error, and with --json the report as the last line of standard
// output; a closed output never changes the exit status.
void Finish(const t8::RunReport& report, bool json) {
    std::fprintf(stderr, "t8batch: %s%s%s\n", report.file.c_str(), report.file.empty() ? "" : ": ",
                 report.message.c_str());
    if (json) {
        std::printf("%s\n", report.Json().c_str());
        std::fflush(stdout);
    }
}

// --check: every finding with its line; a script error makes it 65, else a file a TX or RX line
// needs that cannot be used makes it 4.
int Check(const t8::BatchOptions& options) {
    t8::EventLoop signals; // a stop signal ends the check with 5, as it ends a run
    t8::RunReport report;
    report.file = options.file;
    t8::CLineFile file;
    if (!file.Open(options.file)) {
        report.result = t8::RunResult::FileError;
        report.message = "cannot open the batch file " + options.file + ": " + file.Error();
        Finish(report, options.json);
        return t8::ExitCode(report.result);
    }
    const t8::ScriptCheck check =
        t8::CheckScript(file, options.file, [](const std::string& path, bool receive) {
            return receive ? t8::RxFileProblem(path) : t8::TxFileProblem(path);
        });
    if (const int signal = signals.PendingSignal(); signal != 0) {
        report.result = t8::RunResult::Aborted;
        report.message = std::string("stopped by ") + t8::EventLoop::SignalName(signal);
        Finish(report, options.json);
        return t8::ExitCode(report.result);
    }
    std::size_t errors = 0;
    for (const t8::ScriptFinding& finding : check.findings) {
        errors += finding.error ? 1 : 0;
        std::printf("%s:%zu: %s: %s\n", options.file.c_str(), finding.line,
                    finding.error ? "error" : "warning", finding.text.c_str());
    }
    report.result = check.HasErrors()       ? t8::RunResult::ScriptError
                    : check.HasFileErrors() ? t8::RunResult::FileError
                                            : t8::RunResult::Ok;
    report.lines = check.lines;
    report.message = std::to_string(check.lines) + " lines checked, " + std::to_string(errors) +
                     " errors, " + std::to_string(check.findings.size() - errors) + " warnings";
    Finish(report, options.json);
    return t8::ExitCode(report.result);
}

// --check-port: the port doctor's findings on standard output; 0 when there are none.
int CheckPort(const std::string& device) {
    if (!t8::AddressScheme(device).empty()) {
        std::fprintf(stderr,
                     "t8batch: --check-port looks at serial devices; %s is a network "
                     "address, which a run reaches when it opens the port\n",
                     device.c_str());
        return t8::kUsageExit;
    }
    const std::vector<t8::PortFinding> findings = t8::PortDoctor().Examine(device);
    std::printf("%s\n", t8::PortFindingsText(device, findings).c_str());
    std::fflush(stdout);
    return findings.empty() ? 0 : t8::ExitCode(t8::RunResult::PortError);
}

int UsageError(const std::string& error, const std::string& file,
               const std::vector<std::string>& args) {
    std::fprintf(stderr, "t8batch: %s\n\n%s", error.c_str(), t8::BatchUsage().c_str());
    if (t8::AsksForJson(args)) {
        t8::RunReport report;
        report.file = file;
        report.result = t8::RunResult::UsageError;
        report.message = error;
        std::printf("%s\n", report.Json().c_str());
    }
    return t8::kUsageExit;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    t8::BatchOptions options = t8::ParseBatchOptions(args);
    if (options.help) {
        std::printf("%s", t8::BatchUsage().c_str());
        return 0;
    }
    if (options.version) {
        std::printf("t8batch %s\n", t8::kProjectVersion);
        return 0;
    }
    if (!options.error.empty()) {
        return UsageError(options.error, options.file, args);
    }
    if (!options.checkPort.empty()) {
        return CheckPort(options.checkPort);
    }
    if (options.check) {
        return Check(options);
    }
    if (!options.key) {
        options.key = ::isatty(STDIN_FILENO) != 0 ? t8::KeyMode::Wait : t8::KeyMode::Continue;
    }
    if (options.ports.size() > 1 ||
        (options.ports.size() == 1 && t8::IsPortPattern(options.ports.front()))) {
        const t8::GangPorts gang = t8::ExpandPorts(options.ports);
        if (!gang.error.empty()) {
            return UsageError(gang.error, options.file, args);
        }
        if (gang.ports.size() > 1) {
            t8::GangRun run(options, gang.ports, t8::kProjectVersion);
            return run.Run();
        }
        options.port = gang.ports.front().address; // a pattern that found one port
    }
    t8::BatchRun run(options, t8::kProjectVersion);
    const int status = run.Run();
    Finish(run.Report(), options.json);
    return status;
}
