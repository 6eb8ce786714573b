#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace t8::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The program itself, on the offscreen platform, with a settings folder of its own.
class Program {
public:
    // `errorFd`, when given, is the program's standard error.
    Program(const std::filesystem::path& config, std::vector<std::string> args, int errorFd = -1) {
        // This test's own environment, which nothing else here reads, is the child's.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        args.insert(args.begin(), {T8HOSTLINK_PATH, "--no-splash"});
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        if (errorFd >= 0) {
            ::posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
        }
        if (::posix_spawn(&pid, T8HOSTLINK_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            pid = -1;
        }
        ::posix_spawn_file_actions_destroy(&actions);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (pid > 0 && !Wait(0ms)) {
            ::kill(pid, SIGKILL);
            (void)Wait(10s);
        }
    }

    // Waits until the program sits in an event loop: its processor time stops growing.
    [[nodiscard]] bool WaitUntilIdle(const std::string& openedPath = {}) const {
        const auto deadline = Clock::now() + 30s;
        int quiet = 0;
        std::string last;
        while (Clock::now() < deadline && quiet < 4) {
            std::this_thread::sleep_for(150ms);
            const std::string now = CpuTime();
            const bool opened = openedPath.empty() || HasOpen(openedPath);
            quiet = (opened && now == last) ? quiet + 1 : 0;
            last = now;
        }
        return quiet >= 4;
    }
    // The exit status once the program has ended within `limit`.
    [[nodiscard]] std::optional<int> Wait(std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        do {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        } while (Clock::now() < deadline);
        return std::nullopt;
    }
    [[nodiscard]] pid_t Pid() const { return pid; }

private:
    [[nodiscard]] std::string CpuTime() const {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        const std::string text{std::istreambuf_iterator<char>(stat), {}};
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field, utime, stime;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            (i == 14 ? utime : stime) = field;
        }
        return utime + "/" + stime;
    }
    [[nodiscard]] bool HasOpen(const std::string& path) const {
        std::error_code error;
        for (const auto& fd :
             std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
            if (std::filesystem::read_symlink(fd.path(), error) == path) {
                return true;
            }
        }
        return false;
    }

    pid_t pid = -1;
};

// A signal ends the program at once wherever it is, also inside a start-up dialog, and the
// settings are saved on the way out.
TEST(SignalExitTest, EachQuitSignalEndsTheProgramPromptlyAndSavesTheSettings) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const TempFolder root;
    const std::string hexFile = root.Path("job.hex");
    std::ofstream(hexFile) << ":00000001FF\n";
    const struct {
        int signal;
        std::vector<std::string> args;
        bool portOpens;
        const char* where;
    } cases[] = {
        {SIGTERM, {"--port", pty.SlavePath(), hexFile}, true, "the open-file question"},
        {SIGINT, {"--port", "/dev/nonexistent-t8"}, false, "the port-failure box"},
        {SIGHUP, {"--port", pty.SlavePath()}, true, "the running window"},
    };
    for (const auto& c : cases) {
        const std::filesystem::path config = root.Path("config-" + std::to_string(c.signal));
        const auto ini = config / "TALLON Rodezedoraz" / "T8HostLink.ini";
        Program program(config, c.args);
        ASSERT_GT(program.Pid(), 0);
        ASSERT_TRUE(program.WaitUntilIdle(c.portOpens ? pty.SlavePath() : std::string()))
            << c.where;
        EXPECT_FALSE(std::filesystem::exists(ini)) << "nothing is saved before the end";
        ::kill(program.Pid(), c.signal);
        const std::optional<int> status = program.Wait(10s);
        ASSERT_TRUE(status.has_value()) << "still running after the signal in " << c.where;
        EXPECT_EQ(*status, 0) << c.where;
        std::ifstream saved(ini);
        const std::string text{std::istreambuf_iterator<char>(saved), {}};
        EXPECT_NE(text.find("[TTY]"), std::string::npos) << c.where;
    }
}

// With the link's log on and standard error a pipe nobody reads any more (`2>&1 | head`), the
// program goes on, and still saves its settings at the end.
TEST(SignalExitTest, ALogReaderThatWentAwayLeavesTheProgramRunning) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const TempFolder root;
    const std::filesystem::path config = root.Path("config");
    int ends[2] = {-1, -1};
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    ::setenv("QT_LOGGING_RULES", "t8.link.debug=true", 1);
    Program program(config, {"--port", pty.SlavePath()}, ends[1]);
    ::unsetenv("QT_LOGGING_RULES");
    ::close(ends[1]);
    ASSERT_GT(program.Pid(), 0);
    (void)program.WaitUntilIdle(pty.SlavePath());
    pty.WriteAll("logged as received\r\n"); // the log writes a line for it
    const std::optional<int> early = program.Wait(1500ms);
    ASSERT_FALSE(early.has_value()) << "ended with status " << early.value_or(0);
    ::kill(program.Pid(), SIGTERM);
    const std::optional<int> status = program.Wait(10s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
    EXPECT_TRUE(std::filesystem::exists(config / "TALLON Rodezedoraz" / "T8HostLink.ini"));
}

} // namespace
} // namespace t8::test
