// The simulator on a real pseudo-terminal, opened the way a host program opens a serial port.
#include "CodecReader.h"

#include "sim/pty/SimServer.h"
#include "sim/records/IntelCodec.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace t8::sim {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 10s; // a loaded two-core machine
// A powered device greets a host that opens the line this soon.
constexpr auto kGreetingPatience = 500ms;

class Host {
public:
    explicit Host(const std::string& path, speed_t speed = B115200)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        SetSpeed(speed);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    void SetSpeed(speed_t speed) const {
        termios settings{};
        ASSERT_EQ(tcgetattr(fd_, &settings), 0);
        cfmakeraw(&settings);
        cfsetspeed(&settings, speed);
        ASSERT_EQ(tcsetattr(fd_, TCSANOW, &settings), 0);
    }
    // What a host does right after configuring at open: both queues emptied.
    void Purge() const { ASSERT_EQ(tcflush(fd_, TCIOFLUSH), 0); }
    // Bytes from the device waiting to be read.
    [[nodiscard]] int Queued() const {
        int count = 0;
        return ::ioctl(fd_, FIONREAD, &count) == 0 ? count : -1;
    }
    void Write(std::string_view text) const {
        ASSERT_EQ(::write(fd_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // Reads until the text ends with `end`, or the patience runs out, or the line hangs up.
    std::string ReadUntil(std::string_view end, std::chrono::milliseconds patience = kPatience) {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!text.ends_with(end) && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{fd_, POLLIN, 0};
            if (::poll(&fd, 1, 50) > 0) {
                char block[4096];
                const ssize_t count = ::read(fd_, block, sizeof block);
                if (count <= 0) {
                    hungUp_ = true;
                    break;
                }
                text.append(block, static_cast<std::size_t>(count));
            }
        }
        return text;
    }
    [[nodiscard]] bool HungUp() const { return hungUp_; }
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_;
    bool hungUp_ = false;
};

class Served {
public:
    explicit Served(ServerOptions options = {}) : server_(DeviceOptions{}, std::move(options)) {
        error_ = server_.Open();
    }
    Served(const Served&) = delete;
    Served& operator=(const Served&) = delete;
    ~Served() {
        server_.Stop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    // Starts serving on a thread of its own; false (and no thread) when the pty failed to open.
    [[nodiscard]] bool Start() {
        if (!error_.empty()) {
            return false;
        }
        thread_ = std::thread([this] {
            threadId_ = gettid();
            runError_ = server_.Run();
        });
        while (threadId_ == 0) {
            std::this_thread::yield();
        }
        return true;
    }
    // Times the serving thread has woken (given up the processor and got it back) so far.
    [[nodiscard]] long Wakeups() const {
        std::ifstream status("/proc/self/task/" + std::to_string(threadId_) + "/status");
        long total = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                total += std::stol(line.substr(line.find(':') + 1));
            }
        }
        return total;
    }
    SimServer& server() { return server_; }
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    SimServer server_;
    std::string error_;
    std::string runError_;
    std::atomic<pid_t> threadId_ = 0;
    std::thread thread_;
};

TEST(PtyTest, HostGetsThePromptAndReceivesARange) {
    Served served;
    ASSERT_EQ(served.error(), "");
    Memory& ram = served.server().GetDevice().State().ram;
    for (std::uint32_t address = 0; address < 0x40; ++address) {
        ram.Set(address, static_cast<std::uint8_t>(address ^ 0x5A));
    }
    ASSERT_TRUE(served.Start());
    Host host(served.server().SlavePath());
    ASSERT_TRUE(host.IsOpen());
    EXPECT_EQ(host.ReadUntil("\r\n>"), "\r\n>"); // the device greets, no ENTER needed
    host.Write("SE");
    const std::string answer = host.ReadUntil("range ");
    EXPECT_NE(answer.find("INTEL"), std::string::npos);
    host.Write("00000,0003F\r");
    const std::string data = host.ReadUntil("\r\n>");
    ASSERT_TRUE(data.ends_with("\r\n>")) << data;

    IntelCodec codec;
    const test::ReadResult result = test::ReadAll(codec, data.substr(data.find("\r\n") + 2));
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.ended);
    ASSERT_EQ(result.bytes.size(), 0x40U);
    EXPECT_EQ(result.bytes.at(0x3F), 0x3F ^ 0x5A);
}

TEST(PtyTest, HostAtTheWrongRateIsIgnoredAndReopeningWorks) {
    Served served;
    ASSERT_TRUE(served.Start()) << served.error();
    {
        Host host(served.server().SlavePath(), B9600);
        EXPECT_EQ(host.ReadUntil("\r\n>", 500ms), ""); // the greeting is lost at 9600
        host.Write("\r");
        EXPECT_EQ(host.ReadUntil("\r\n>", 500ms), "");
    }
    // closed and opened again at the device's rate: the pty is still there, and the device,
    // switched on all along, has no new greeting
    Host again(served.server().SlavePath(), B115200);
    EXPECT_EQ(again.ReadUntil("never", 500ms), "");
    again.Write("\r");
    EXPECT_EQ(again.ReadUntil("\r\n>"), "\r\n>");
}

TEST(PtyTest, HangsUpAfterTheGivenNumberOfBytes) {
    ServerOptions options;
    options.hangupAfter = 3;
    Served served(options);
    ASSERT_TRUE(served.Start()) << served.error();
    Host host(served.server().SlavePath());
    EXPECT_EQ(host.ReadUntil("\r\n>"), "\r\n>");
    host.Write("\r\r");
    EXPECT_EQ(host.ReadUntil("\r\n>\r\n>"), "\r\n>\r\n>");
    host.Write("\r\r");
    host.ReadUntil("never");
    EXPECT_TRUE(host.HungUp());
}

TEST(PtyTest, GreetsAHostThatOpensConfiguresAndPurges) {
    Served served;
    ASSERT_TRUE(served.Start()) << served.error();
    Host host(served.server().SlavePath()); // opened and configured
    host.Purge();
    EXPECT_EQ(host.ReadUntil("\r\n>", kGreetingPatience), "\r\n>");
    EXPECT_EQ(host.ReadUntil("never", 300ms), ""); // once
}

TEST(PtyTest, APurgeThatSwallowsTheGreetingBringsItOnceMore) {
    Served served;
    ASSERT_TRUE(served.Start()) << served.error();
    Host host(served.server().SlavePath());
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (host.Queued() < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(host.Queued(), 3); // the greeting waits unread: a slow host purges it now
    host.Purge();
    EXPECT_EQ(host.ReadUntil("\r\n>", kGreetingPatience), "\r\n>");
    host.Purge(); // a second purge is the host's own business
    EXPECT_EQ(host.ReadUntil("never", 300ms), "");
}

TEST(PtyTest, IdleDeviceDoesNotWake) {
    Served served;
    ASSERT_TRUE(served.Start()) << served.error();
    const auto idleWakeups = [&] {
        const long before = served.Wakeups();
        std::this_thread::sleep_for(1500ms);
        return served.Wakeups() - before;
    };
    // generous: a device that polls wakes hundreds of times in this time
    constexpr long kFewWakeups = 10;
    EXPECT_LE(idleWakeups(), kFewWakeups) << "before any host";
    Host host(served.server().SlavePath());
    host.Write("SE"); // the greeting may come first or not at all
    ASSERT_TRUE(host.ReadUntil("range ").ends_with("range "));
    EXPECT_LE(idleWakeups(), kFewWakeups) << "waiting for a typed range";
    host.Write("\x1b");
    EXPECT_EQ(host.ReadUntil("\r\n>"), "\r\n>"); // and still answers at once
}

// Waits until the link is there (or gone); true when it is as wanted in time.
bool WaitForLink(const std::string& link, bool there) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::error_code ignored;
    while (std::filesystem::is_symlink(link, ignored) != there &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    return std::filesystem::is_symlink(link, ignored) == there;
}

TEST(PtyTest, APulledLineComesBackBehindTheSameLinkAsADeviceSwitchedOnAfresh) {
    t8::test::TempFolder folder;
    ServerOptions options;
    options.linkPath = folder.Path("t8");
    std::mutex mutex;
    std::vector<std::string> announced;
    options.lineBack = [&](const std::string& path) {
        const std::lock_guard lock(mutex);
        announced.push_back(path);
    };
    Served served(options);
    ASSERT_TRUE(served.Start()) << served.error();
    {
        Host host(folder.Path("t8"));
        ASSERT_TRUE(host.IsOpen());
        EXPECT_EQ(host.ReadUntil("\r\n>"), "\r\n>");
        host.Write("S"); // half a command when the cable goes
        EXPECT_EQ(host.ReadUntil("S"), "S");
        served.server().ToggleLine();
        host.ReadUntil("never");
        EXPECT_TRUE(host.HungUp());
    }
    EXPECT_TRUE(WaitForLink(folder.Path("t8"), false));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(WaitForLink(folder.Path("t8"), false)) << "with no return set, it stays pulled";
    EXPECT_FALSE(served.server().LineUp());

    served.server().ToggleLine();
    ASSERT_TRUE(WaitForLink(folder.Path("t8"), true));
    Host again(folder.Path("t8"));
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(again.ReadUntil("\r\n>", kGreetingPatience), "\r\n>"); // switched on: greets
    again.Write("E\x1b"); // the "S" went with the power: no SE starts
    EXPECT_EQ(again.ReadUntil("\r\n>"), "E\r\n>");
    const std::lock_guard lock(mutex);
    ASSERT_EQ(announced.size(), 1U);
    EXPECT_EQ(std::filesystem::read_symlink(folder.Path("t8")).string(), announced[0]);
}

TEST(PtyTest, HangsUpAfterBytesToTheHostAndReturnsOnceAfterTheSetTime) {
    t8::test::TempFolder folder;
    ServerOptions options;
    options.linkPath = folder.Path("t8");
    options.hangupAfterSent = 100;
    options.returnAfterMs = 500;
    Served served(options);
    ASSERT_TRUE(served.Start()) << served.error();
    std::string seen;
    {
        Host host(folder.Path("t8"));
        seen = host.ReadUntil("\r\n>");
        host.Write("SE");
        seen += host.ReadUntil("range ");
        host.Write("00000,0FFFF\r"); // far more than 100 bytes of records
        seen += host.ReadUntil("never");
        EXPECT_TRUE(host.HungUp());
    }
    const auto hungUpAt = std::chrono::steady_clock::now();
    EXPECT_EQ(seen.size(), 100U) << seen;
    ASSERT_TRUE(WaitForLink(folder.Path("t8"), true));
    EXPECT_GE(std::chrono::steady_clock::now() - hungUpAt, 400ms);

    Host again(folder.Path("t8"));
    EXPECT_EQ(again.ReadUntil("\r\n>", kGreetingPatience), "\r\n>");
    again.Write("SE");
    EXPECT_TRUE(again.ReadUntil("range ").ends_with("range "));
    again.Write("00000,000FF\r"); // the fault is spent: this one goes through
    const std::string records = again.ReadUntil("\r\n>");
    EXPECT_TRUE(records.ends_with("\r\n>")) << records;
    EXPECT_GT(records.size(), 100U);
    EXPECT_FALSE(again.HungUp());
}

} // namespace
} // namespace t8::sim
