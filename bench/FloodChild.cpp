#include "bench/FloodChild.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace t8::bench {

namespace {

constexpr std::chrono::seconds kStopPatience{10};

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

FloodChild::FloodChild(const std::vector<std::string>& argv,
                       const std::vector<std::string>& environment, bool withErrors) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (withErrors) {
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    }
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> env = Pointers(environment);
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    output = out[0];
    ::fcntl(output, F_SETFL, O_NONBLOCK);
}

FloodChild::~FloodChild() {
    Stop();
    if (output >= 0) {
        ::close(output);
    }
}

double FloodChild::CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t fields = line.rfind(')');
    if (fields == std::string::npos) {
        return 0;
    }
    std::vector<std::string> values;
    std::size_t at = fields + 2;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        values.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    constexpr std::size_t kUserTime = 11; // utime and stime, counted after the name
    if (values.size() <= kUserTime + 1) {
        return 0;
    }
    const double ticks = std::stod(values[kUserTime]) + std::stod(values[kUserTime + 1]);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void FloodChild::Stop() {
    if (pid <= 0) {
        return;
    }
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopPatience;
    while (::waitpid(pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
}

} // namespace t8::bench
