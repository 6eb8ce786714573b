#pragma once

#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/BatchRun.h"
#include "tools/t8batch/GangLoop.h"
#include "tools/t8batch/GangPorts.h"

#include <memory>
#include <string>
#include <vector>

namespace t8 {

// One batch on several ports at once, from one process: a BatchRun for each port (its own
// executor, transfers, checks, log, RX files, record line and report), all on one GangLoop. A
// port that fails, or cannot even be opened, fails alone; a stop signal stops every port.
// Standard output gets a line for each port as it ends and a table at the end; the JUnit
// report holds a testsuite per port.
class GangRun {
public:
    GangRun(const BatchOptions& options, const std::vector<GangPort>& ports, std::string version);
    GangRun(const GangRun&) = delete;
    GangRun& operator=(const GangRun&) = delete;
    ~GangRun();

    // Runs every port to its end and returns the gang's exit status.
    int Run();

private:
    // A port of the gang: its own options (its port, its log's name) and its run.
    struct Seat {
        GangPort port;
        BatchOptions options;
        std::unique_ptr<BatchRun> run;
    };

    void WriteJunit();
    void Finish(int& status);

    const BatchOptions& options;
    const std::string version;
    GangLoop gang;
    std::vector<std::unique_ptr<Seat>> seats;
    std::string junitFailure;
};

} // namespace t8
