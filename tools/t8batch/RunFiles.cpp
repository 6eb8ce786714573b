#include "tools/t8batch/RunFiles.h"

#include "batch/CLineFile.h"
#include "formats/RegularFile.h"
#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/GangPorts.h"
#include "transfer/save/SaveFile.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace t8 {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr unsigned kMemoryDevicesMajor = 1; // /dev/null, /dev/zero, /dev/full

} // namespace

std::string TxFileProblem(const std::string& path) {
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        return file.error;
    }
    ::close(file.fd);
    return file.size == 0 ? "it is empty" : "";
}

bool ReadBatchFile(const std::string& path, std::string& text, std::string& error) {
    error.clear();
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        error = file.error;
        return false;
    }
    if (file.size > kMaxBatchFileBytes) {
        ::close(file.fd);
        error = "it is larger than " + std::to_string(kMaxBatchFileBytes >> 20) +
                " MiB: not a batch file";
        return false;
    }
    text.clear();
    std::array<char, kChunkBytes> chunk{};
    for (ssize_t got = 0; text.size() <= kMaxBatchFileBytes;) {
        got = ::read(file.fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error = got < 0 ? std::strerror(errno) : "";
            break;
        }
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    ::close(file.fd);
    if (error.empty() && text.size() > kMaxBatchFileBytes) {
        error = "it grew past " + std::to_string(kMaxBatchFileBytes >> 20) + " MiB while read";
    }
    return error.empty();
}

std::string RxFileProblem(const std::string& path) {
    return SaveTargetProblem(path);
}

namespace {

enum class Output { Log, Junit, Record };

// What is at `path` that an output of this kind cannot be; empty when it can be used.
std::string OutputKindProblem(const std::string& path, Output kind) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? SaveTargetProblem(path) : std::strerror(errno);
    }
    const mode_t mode = info.st_mode;
    const bool memoryDevice = S_ISCHR(mode) && ::major(info.st_rdev) == kMemoryDevicesMajor;
    if (S_ISREG(mode) || (memoryDevice && kind != Output::Record) ||
        (S_ISFIFO(mode) && kind == Output::Log)) {
        return {};
    }
    if (memoryDevice) {
        return "it is not a regular file, which a record must be"; // appended to and synced
    }
    return S_ISDIR(mode)    ? std::strerror(EISDIR)
           : S_ISFIFO(mode) ? "it is a FIFO; give a regular file"
           : S_ISSOCK(mode) ? "it is a socket, not a file"
           : S_ISCHR(mode) || S_ISBLK(mode)
               ? "it is a device (a terminal or port would be typed into); give a file"
               : "it is not a regular file";
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::exists(a, error) && fs::exists(b, error)) {
        return fs::equivalent(a, b, error);
    }
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

} // namespace

std::string OutputsProblem(const BatchOptions& options, const RunFileSet& files) {
    const std::pair<const std::string*, Output> outputs[] = {{&options.logPath, Output::Log},
                                                             {&options.junitPath, Output::Junit},
                                                             {&options.recordPath, Output::Record}};
    const char* names[] = {"the log", "the JUnit report", "the record"};
    std::vector<std::pair<std::string, std::string>> taken{{"the batch file", files.batch}};
    for (const std::string& tx : files.tx) {
        taken.emplace_back("the TX file", tx);
    }
    for (const std::string& rx : files.rx) {
        taken.emplace_back("the RX file", rx);
    }
    for (const auto& [path, kind] : outputs) {
        if (path->empty()) {
            continue;
        }
        const std::string name = std::string(names[static_cast<int>(kind)]) + " " + *path;
        if (const std::string problem = OutputKindProblem(*path, kind); !problem.empty()) {
            return "cannot write " + name + ": " + problem;
        }
        for (const auto& [what, other] : taken) {
            if (SameFile(*path, other)) {
                return "cannot write " + name + ": it is " + what + " " + other;
            }
        }
        taken.emplace_back(names[static_cast<int>(kind)], *path);
    }
    return {};
}

RunPlan PlanRun(const BatchOptions& options, const std::string& portName) {
    RunPlan plan;
    if (!ReadBatchFile(options.file, plan.text, plan.readError)) {
        plan.text.clear(); // nothing to check: the run stops at the reason
    }
    CLineFile lines;
    lines.OpenText(plan.text);
    RunFileSet files{options.file, {}, {}};
    plan.check = CheckScript(lines, options.file, [&](const std::string& named, bool receive) {
        const std::string path =
            receive && !portName.empty() ? PortFileName(named, portName) : named;
        (receive ? files.rx : files.tx).push_back(path);
        return receive ? RxFileProblem(path) : TxFileProblem(path);
    });
    plan.outputsProblem = OutputsProblem(options, files);
    plan.files = std::move(files);
    return plan;
}

std::optional<std::pair<RunResult, std::string>> Refusal(const ScriptCheck& check) {
    for (const bool fileErrors : {false, true}) {
        for (const ScriptFinding& finding : check.findings) {
            if (finding.error && finding.file == fileErrors) {
                return std::pair{fileErrors ? RunResult::FileError : RunResult::ScriptError,
                                 finding.text + " (line " + std::to_string(finding.line) + ")"};
            }
        }
    }
    return std::nullopt;
}

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    const std::time_t seconds = system_clock::to_time_t(when);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    std::array<char, 40> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text.data() + length, text.size() - length, ".%03dZ", static_cast<int>(ms));
    return text.data();
}

std::string StationName() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

} // namespace t8
