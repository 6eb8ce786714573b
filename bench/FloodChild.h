#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace t8::bench {

// A program whose standard output (and error, when asked) the benchmark reads.
class FloodChild {
public:
    FloodChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               bool withErrors);
    FloodChild(const FloodChild&) = delete;
    FloodChild& operator=(const FloodChild&) = delete;
    ~FloodChild();

    [[nodiscard]] bool Running() const { return pid > 0; }
    // Processor seconds the program has used so far.
    [[nodiscard]] double CpuSeconds() const;
    // SIGTERM, then SIGKILL if it does not end in time.
    void Stop();

    pid_t pid = -1;
    int output = -1;
};

} // namespace t8::bench
