// How fast the real window takes a flood from a device. t8hostlink runs on one end of a pty
// (offscreen unless QT_QPA_PLATFORM or DISPLAY says otherwise) while this program writes device
// text into the other end as fast as it is taken; the window's link debug lines ("N bytes
// received", after each batch has been through the screen) tell when the last byte is in. cat
// draining the same pty in the same run is the yardstick. On an X display (DISPLAY set, with
// xdotool) it also times the window's first menu opening, idle and while flooded. It reports;
// it never fails a build.
// usage: t8flood_bench T8HOSTLINK [MEGABYTES [RUNS]]   (default 32 MB, 3 runs each)
#include "bench/DeviceText.h"
#include "bench/MenuProbe.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kDefaultMegabytes = 32;
constexpr std::size_t kDefaultRuns = 3;
constexpr std::size_t kWritePiece = 64 * 1024;
constexpr auto kOpenPatience = 30s;
constexpr auto kFloodPatience = 300s;
// After the window has opened the port: time to show itself and paint once.
constexpr auto kWindowSettle = 2s;
constexpr auto kStopPatience = 10s;

// The device's end of a pty, and a descriptor of the slave that keeps it alive in between.
class Pty {
public:
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        char name[128] = {};
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
            ptsname_r(master, name, sizeof name) != 0) {
            return;
        }
        path = name;
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    ~Pty() {
        for (const int fd : {slave, master}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    [[nodiscard]] bool Ok() const { return slave >= 0; }
    // Raw 8N1 at 115200, as a serial program sets it (cat would otherwise echo and edit).
    void SetRaw() const {
        termios settings{};
        tcgetattr(slave, &settings);
        cfmakeraw(&settings);
        cfsetspeed(&settings, B115200);
        tcsetattr(slave, TCSANOW, &settings);
        tcflush(slave, TCIOFLUSH);
    }
    // Waits until someone opens the slave after this call.
    [[nodiscard]] bool WaitForOpen(const std::function<void()>& start) const {
        const int watch = inotify_init1(IN_CLOEXEC);
        if (watch < 0 || inotify_add_watch(watch, path.c_str(), IN_OPEN) < 0) {
            start();
            std::this_thread::sleep_for(kWindowSettle);
            return true;
        }
        start();
        pollfd fd{watch, POLLIN, 0};
        const bool opened =
            ::poll(&fd, 1, static_cast<int>(std::chrono::milliseconds(kOpenPatience).count())) > 0;
        ::close(watch);
        return opened;
    }

    int master = -1;
    int slave = -1;
    std::string path;
};

// A program whose standard output (and error, when asked) this program reads.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
          bool withErrors) {
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
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        std::vector<char*> env;
        for (const std::string& entry : environment) {
            env.push_back(const_cast<char*>(entry.c_str()));
        }
        env.push_back(nullptr);
        if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output = out[0];
        ::fcntl(output, F_SETFL, O_NONBLOCK);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        Stop();
        if (output >= 0) {
            ::close(output);
        }
    }
    [[nodiscard]] bool Running() const { return pid > 0; }
    // Processor seconds the program has used so far.
    [[nodiscard]] double CpuSeconds() const {
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
    // SIGTERM, then SIGKILL if it does not end in time.
    void Stop() {
        if (pid <= 0) {
            return;
        }
        ::kill(pid, SIGTERM);
        const auto deadline = Clock::now() + kStopPatience;
        while (::waitpid(pid, nullptr, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
        pid = -1;
    }

    pid_t pid = -1;
    int output = -1;
};

// Counts what the reader has taken in from what it prints.
using Tally = std::function<std::size_t(const char*, std::size_t)>;

// cat's output is the flood itself.
Tally CountBytes() {
    return [](const char*, std::size_t count) { return count; };
}

// The window's debug lines "... N bytes received"; other lines are passed over.
Tally CountReceivedLines() {
    return [line = std::string()](const char* bytes, std::size_t count) mutable {
        constexpr std::string_view kMark = " bytes received";
        std::size_t total = 0;
        line.append(bytes, count);
        for (std::size_t end; (end = line.find('\n')) != std::string::npos;
             line.erase(0, end + 1)) {
            const std::size_t mark = line.rfind(kMark, end);
            if (mark == std::string::npos) {
                continue;
            }
            std::size_t digits = mark;
            while (digits > 0 && std::isdigit(static_cast<unsigned char>(line[digits - 1]))) {
                --digits;
            }
            if (digits < mark) {
                total += std::stoull(line.substr(digits, mark - digits));
            }
        }
        return total;
    };
}

struct Result {
    double seconds = 0;
    std::size_t taken = 0;
    double cpuSeconds = 0;
};

// Writes `text` into the pty as fast as it is taken, until the reader says all is in.
Result Flood(const Pty& pty, Child& reader, Tally& tally, const std::string& text) {
    Result result;
    std::size_t written = 0;
    const double cpuBefore = reader.CpuSeconds();
    const auto start = Clock::now();
    const auto deadline = start + kFloodPatience;
    char block[kWritePiece];
    while (result.taken < text.size() && Clock::now() < deadline) {
        pollfd fds[2] = {{pty.master, POLLIN, 0}, {reader.output, POLLIN, 0}};
        if (written < text.size()) {
            fds[0].events |= POLLOUT;
        }
        if (::poll(fds, 2, 100) < 0 && errno != EINTR) {
            break;
        }
        if ((fds[0].revents & POLLOUT) != 0) {
            const std::size_t piece = std::min(kWritePiece, text.size() - written);
            const ssize_t count = ::write(pty.master, text.data() + written, piece);
            written += count > 0 ? static_cast<std::size_t>(count) : 0;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            [[maybe_unused]] const ssize_t ignored = ::read(pty.master, block, sizeof block);
        }
        for (ssize_t count; (count = ::read(reader.output, block, sizeof block)) > 0;) {
            result.taken += tally(block, static_cast<std::size_t>(count));
        }
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.cpuSeconds = reader.CpuSeconds() - cpuBefore;
    return result;
}

// Floods `runs` times and reports the best and the median run; false when a flood was not
// taken in full.
bool FloodAndReport(const char* name, const Pty& pty, Child& reader, Tally tally,
                    const std::string& text, std::size_t runs) {
    std::vector<Result> results;
    for (std::size_t run = 0; run < runs; ++run) {
        results.push_back(Flood(pty, reader, tally, text));
        if (results.back().taken < text.size()) {
            std::printf("  %-11s did not take the flood: %zu of %zu bytes in %.1f s\n", name,
                        results.back().taken, text.size(), results.back().seconds);
            return false;
        }
    }
    std::sort(results.begin(), results.end(),
              [](const Result& a, const Result& b) { return a.seconds < b.seconds; });
    const auto rate = [&](const Result& result) {
        return static_cast<double>(text.size()) / result.seconds / 1e6;
    };
    const Result& best = results.front();
    const Result& median = results[results.size() / 2];
    std::printf("  %-11s best %7.3f s %7.1f MB/s   median %7.3f s %7.1f MB/s   "
                "%.2f s of processor a run\n",
                name, best.seconds, rate(best), median.seconds, rate(median), median.cpuSeconds);
    return true;
}

// The caller's environment, with the window's settings kept in a scratch folder and its link
// debug lines on.
std::vector<std::string> WindowEnvironment(const std::string& configFolder) {
    std::vector<std::string> env;
    bool platformChosen = false;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.starts_with("XDG_CONFIG_HOME=") || text.starts_with("QT_LOGGING_RULES=")) {
            continue;
        }
        platformChosen =
            platformChosen || text.starts_with("QT_QPA_PLATFORM=") || text.starts_with("DISPLAY=");
        env.push_back(text);
    }
    env.push_back("XDG_CONFIG_HOME=" + configFolder);
    env.push_back("QT_LOGGING_RULES=t8.link.debug=true");
    if (!platformChosen) {
        env.push_back("QT_QPA_PLATFORM=offscreen");
    }
    return env;
}

void ReportMenuTimes(const char* when, const std::vector<double>& times) {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) {
        std::printf("  menu %-13s did not open\n", when);
        return;
    }
    std::printf("  menu %-13s median %6.1f ms   slowest %6.1f ms   (%zu times)\n", when,
                sorted[sorted.size() / 2], sorted.back(), sorted.size());
}

// The first menu opened a few times on the idle window, then again and again while floods run
// back to back.
void ProbeMenus(const Pty& pty, Child& program, const std::string& text) {
    constexpr std::size_t kOpenings = 5;
    t8::bench::MenuProbe probe(program.pid);
    if (!probe.Prepare()) {
        std::printf("  menu: not timed, %s\n", probe.Problem().c_str());
        return;
    }
    for (std::size_t i = 0; i < kOpenings; ++i) {
        probe.OpenOnce();
        std::this_thread::sleep_for(200ms);
    }
    ReportMenuTimes("idle", probe.Milliseconds());
    t8::bench::MenuProbe flooded(program.pid);
    flooded.Prepare();
    std::atomic<bool> probing{true};
    std::thread prober([&] {
        std::this_thread::sleep_for(300ms); // the flood is under way
        for (std::size_t i = 0; i < kOpenings; ++i) {
            flooded.OpenOnce();
            std::this_thread::sleep_for(200ms);
        }
        probing = false;
    });
    Tally tally = CountReceivedLines();
    std::size_t floods = 0;
    while (probing && Flood(pty, program, tally, text).taken == text.size()) {
        ++floods;
    }
    prober.join();
    ReportMenuTimes("while flooded", flooded.Milliseconds());
    std::printf("  (%zu floods ran meanwhile)\n", floods);
}

std::string WindowPlatform(const std::vector<std::string>& env) {
    for (const std::string& entry : env) {
        if (entry.starts_with("QT_QPA_PLATFORM=")) {
            return entry.substr(entry.find('=') + 1);
        }
    }
    for (const std::string& entry : env) {
        if (entry.starts_with("DISPLAY=")) {
            return "X display " + entry.substr(entry.find('=') + 1);
        }
    }
    return "default";
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2) {
        std::fprintf(stderr, "usage: t8flood_bench T8HOSTLINK [MEGABYTES]\n");
        return 2;
    }
    const std::string window = argv[1];
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : kDefaultMegabytes;
    const std::size_t runs =
        std::max<std::size_t>(1, argc > 3 ? std::strtoul(argv[3], nullptr, 10) : kDefaultRuns);
    const std::string text = t8::bench::DeviceText(megabytes << 20);
    Pty pty;
    if (!pty.Ok()) {
        std::fprintf(stderr, "cannot create a pty: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("flood of %zu bytes of device text on %s, %zu runs each\n", text.size(),
                pty.path.c_str(), runs);

    pty.SetRaw();
    std::unique_ptr<Child> cat;
    if (!pty.WaitForOpen([&] {
            cat = std::make_unique<Child>(std::vector<std::string>{"cat", pty.path},
                                          std::vector<std::string>{"PATH=/usr/bin:/bin"}, false);
        })) {
        std::fprintf(stderr, "cat did not open the pty\n");
        return 1;
    }
    FloodAndReport("cat", pty, *cat, CountBytes(), text, runs);
    cat.reset();

    char folder[] = "/tmp/t8flood.XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::fprintf(stderr, "cannot make a scratch folder: %s\n", std::strerror(errno));
        return 1;
    }
    const std::vector<std::string> env = WindowEnvironment(folder);
    std::unique_ptr<Child> program;
    if (!pty.WaitForOpen([&] {
            program = std::make_unique<Child>(
                std::vector<std::string>{window, "--no-splash", "--port", pty.path}, env, true);
        })) {
        std::fprintf(stderr, "%s did not open the pty\n", window.c_str());
        return 1;
    }
    std::this_thread::sleep_for(kWindowSettle);
    const bool taken =
        FloodAndReport("t8hostlink", pty, *program, CountReceivedLines(), text, runs);
    std::printf("  (the window on %s; cat reads the pty in raw mode)\n",
                WindowPlatform(env).c_str());
    if (taken && WindowPlatform(env).starts_with("X display")) {
        ProbeMenus(pty, *program, text);
    }
    program.reset();
    std::filesystem::remove_all(folder);
    return taken ? 0 : 1;
}
