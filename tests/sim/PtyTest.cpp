// The simulator on a real pseudo-terminal, opened the way a host program opens a serial port.
#include "sim/pty/SimServer.h"
#include "sim/records/IntelCodec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace t8::sim {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 10s; // a loaded two-core machine

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
    void Start() {
        thread_ = std::thread([this] { runError_ = server_.Run(); });
    }
    SimServer& server() { return server_; }
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    SimServer server_;
    std::string error_;
    std::string runError_;
    std::thread thread_;
};

TEST(PtyTest, HostGetsThePromptAndReceivesARange) {
    Served served;
    ASSERT_EQ(served.error(), "");
    Memory& ram = served.server().GetDevice().State().ram;
    for (std::uint32_t address = 0; address < 0x40; ++address) {
        ram.Set(address, static_cast<std::uint8_t>(address ^ 0x5A));
    }
    served.Start();
    Host host(served.server().SlavePath());
    ASSERT_TRUE(host.IsOpen());
    host.Write("\r");
    EXPECT_TRUE(host.ReadUntil("\r\n>").ends_with("\r\n>"));
    host.Write("SE");
    const std::string answer = host.ReadUntil("range ");
    EXPECT_NE(answer.find("INTEL"), std::string::npos);
    host.Write("00000,0003F\r");
    const std::string data = host.ReadUntil("\r\n>");
    ASSERT_TRUE(data.ends_with("\r\n>")) << data;

    IntelCodec codec;
    codec.Reset(0);
    std::vector<std::uint8_t> bytes;
    bool ended = false;
    for (const char c : data.substr(data.find("\r\n") + 2)) {
        const ParseStep step = codec.Feed(static_cast<std::uint8_t>(c));
        bytes.insert(bytes.end(), step.bytes.begin(), step.bytes.end());
        ended = ended || step.kind == ParseStep::Kind::End;
        ASSERT_NE(step.kind, ParseStep::Kind::Error) << step.error;
        if (ended) {
            break;
        }
    }
    EXPECT_TRUE(ended);
    ASSERT_EQ(bytes.size(), 0x40U);
    EXPECT_EQ(bytes[0x3F], 0x3F ^ 0x5A);
}

TEST(PtyTest, HostAtTheWrongRateIsIgnoredAndReopeningWorks) {
    Served served;
    ASSERT_EQ(served.error(), "");
    served.Start();
    {
        Host host(served.server().SlavePath(), B9600);
        host.Write("\r");
        EXPECT_EQ(host.ReadUntil("\r\n>", 500ms), "");
    }
    // closed and opened again at the device's rate: the pty is still there
    Host again(served.server().SlavePath(), B115200);
    again.Write("\r");
    EXPECT_EQ(again.ReadUntil("\r\n>"), "\r\n>");
}

TEST(PtyTest, HangsUpAfterTheGivenNumberOfBytes) {
    ServerOptions options;
    options.hangupAfter = 3;
    Served served(options);
    ASSERT_EQ(served.error(), "");
    served.Start();
    Host host(served.server().SlavePath());
    host.Write("\r\r");
    EXPECT_EQ(host.ReadUntil("\r\n>\r\n>"), "\r\n>\r\n>");
    host.Write("\r\r");
    host.ReadUntil("never");
    EXPECT_TRUE(host.HungUp());
}

} // namespace
} // namespace t8::sim
