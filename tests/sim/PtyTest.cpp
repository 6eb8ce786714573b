// The simulator on a real pseudo-terminal, opened the way a host program opens a serial port:
// the edges the host cannot bring about. Its answers, greeting, hang-ups and return after a pull
// are driven end to end by the host's pty tests in tests/transfer.
#include "link/SerialPort.h"
#include "sim/pty/SimServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace t8::sim {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 10s; // a loaded two-core machine
// A powered device greets a host that opens the line this soon.
constexpr auto kGreetingPatience = 500ms;

// The host program's own port: opened, configured and read as the program does it.
class Host {
public:
    explicit Host(const std::string& path) {
        EXPECT_TRUE(port.Open(path)) << path;
        EXPECT_TRUE(port.Configure({115200, 8, kParityNone, kStopOne, 0}));
    }
    SerialPort& Port() { return port; }
    void Write(std::string_view text) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        EXPECT_EQ(port.Write(bytes, text.size(), 1000).written, text.size());
    }
    // Reads until the text ends with `end` or the patience runs out.
    std::string ReadUntil(std::string_view end, std::chrono::milliseconds patience = kPatience) {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!text.ends_with(end) && std::chrono::steady_clock::now() < deadline) {
            std::uint8_t block[4096];
            const long count = port.Read(block, sizeof block);
            if (count > 0) {
                text.append(reinterpret_cast<const char*>(block), static_cast<std::size_t>(count));
            } else {
                std::this_thread::sleep_for(10ms);
            }
        }
        return text;
    }

private:
    SerialPort port;
};

class Served {
public:
    Served() : server(DeviceOptions{}, ServerOptions{}) { error = server.Open(); }
    Served(const Served&) = delete;
    Served& operator=(const Served&) = delete;
    ~Served() {
        server.Stop();
        if (thread.joinable()) {
            thread.join();
        }
    }
    // Starts serving on a thread of its own; false (and no thread) when the pty failed to open.
    [[nodiscard]] bool Start() {
        if (!error.empty()) {
            return false;
        }
        thread = std::thread([this] {
            threadId = gettid();
            runError = server.Run();
        });
        while (threadId == 0) {
            std::this_thread::yield();
        }
        return true;
    }
    // Times the serving thread has woken (given up the processor and got it back) so far.
    [[nodiscard]] long Wakeups() const {
        std::ifstream status("/proc/self/task/" + std::to_string(threadId) + "/status");
        long total = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                total += std::stol(line.substr(line.find(':') + 1));
            }
        }
        return total;
    }
    SimServer& Server() { return server; }
    [[nodiscard]] const std::string& Error() const { return error; }

private:
    SimServer server;
    std::string error;
    std::string runError;
    std::atomic<pid_t> threadId = 0;
    std::thread thread;
};

TEST(PtyTest, APurgeThatSwallowsTheGreetingBringsItOnceMore) {
    Served served;
    ASSERT_TRUE(served.Start()) << served.Error();
    Host host(served.Server().SlavePath());
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (host.Port().InputQueued() < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(host.Port().InputQueued(), 3U); // the greeting waits unread: a slow host purges it
    host.Port().Purge();
    EXPECT_EQ(host.ReadUntil("\r\n>", kGreetingPatience), "\r\n>");
    host.Port().Purge(); // a second purge is the host's own business
    EXPECT_EQ(host.ReadUntil("never", 300ms), "");
}

TEST(PtyTest, IdleDeviceDoesNotWake) {
    Served served;
    ASSERT_TRUE(served.Start()) << served.Error();
    const auto idleWakeups = [&] {
        const long before = served.Wakeups();
        std::this_thread::sleep_for(1500ms);
        return served.Wakeups() - before;
    };
    // generous: a device that polls wakes hundreds of times in this time
    constexpr long kFewWakeups = 10;
    EXPECT_LE(idleWakeups(), kFewWakeups) << "before any host";
    Host host(served.Server().SlavePath());
    host.Write("SE"); // the greeting may come first or not at all
    ASSERT_TRUE(host.ReadUntil("range ").ends_with("range "));
    EXPECT_LE(idleWakeups(), kFewWakeups) << "waiting for a typed range";
    host.Write("\x1b");
    EXPECT_EQ(host.ReadUntil("\r\n>"), "\r\n>"); // and still answers at once
}

} // namespace
} // namespace t8::sim
