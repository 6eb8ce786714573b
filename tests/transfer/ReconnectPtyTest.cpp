// The simulated T8 unplugged and plugged in again under the host's link: the host waits for it
// without a message box, reopens it as soon as it is back and sends nothing typed meanwhile.
#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"
#include "tests/transfer/TransferHarness.h"

#include "sim/pty/SimServer.h"
#include "sim/records/FormatCodec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <numeric>
#include <poll.h>
#include <thread>

namespace t8::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kPatience = 10s;   // a loaded two-core machine
constexpr auto kReturnAfter = 2s; // the device is away this long
constexpr auto kBackWithin = 1s;  // and connected again this soon after its return
constexpr int CProgTermViewTimerMs = 250;

// Intel HEX records of `data`, as the device itself writes them.
std::string IntelText(const std::vector<std::uint8_t>& data) {
    std::string text;
    for (const std::string& record : sim::MakeCodec(sim::Format::Intel)->Write(data, 0, 16)) {
        text += record + "\r\n";
    }
    return text;
}

class ReconnectPtyTest : public ::testing::Test {
protected:
    void Start(sim::ServerOptions options) {
        ASSERT_TRUE(folder.Ok());
        options.linkPath = folder.Path("t8");
        options.returnAfterMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(kReturnAfter).count();
        options.lineBack = [this](const std::string&) { returnedAt = Clock::now(); };
        server = std::make_unique<sim::SimServer>(sim::DeviceOptions{}, std::move(options));
        ASSERT_EQ(server->Open(), "");
        serving = std::thread([this] { (void)server->Run(); });
        rig.link.Record()->com.devicePath = folder.Path("t8");
        ASSERT_NE(rig.link.OpenPort(), 0);
        rig.ui.pause = [this](int ms) { Serve(std::chrono::milliseconds(ms)); };
        ASSERT_TRUE(ServeUntil([&] { return rig.screenText.ends_with("\r\n>"); })); // the greeting
    }
    void TearDown() override {
        rig.link.ClosePort();
        if (serving.joinable()) {
            server->Stop();
            serving.join();
        }
    }
    // The window's event loop for `time`: received blocks, the view's timer (outside the
    // dialogs, which tick their own), the device watch and its retries.
    void Serve(Clock::duration time) {
        const auto until = Clock::now() + time;
        do {
            rig.link.DispatchReceived();
            if (rig.linkUi.timerRunning && !rig.ui.inDialog && Clock::now() >= nextTick) {
                nextTick = Clock::now() + std::chrono::milliseconds(CProgTermViewTimerMs);
                rig.transfers->OnTransferTimer();
            }
            pollfd watch{rig.link.DeviceWatchFd(), POLLIN, 0};
            if (::poll(&watch, 1, kSliceMs) == 1) {
                rig.link.OnDeviceEvent();
            } else if (rig.linkUi.reconnectTimer && Clock::now() >= nextRetry) {
                nextRetry = Clock::now() + std::chrono::milliseconds(Reconnector::kRetryMs);
                rig.link.OnReconnectTimer();
            }
        } while (Clock::now() < until);
    }
    bool ServeUntil(const std::function<bool()>& done, Clock::duration patience = kPatience) {
        const auto until = Clock::now() + patience;
        while (!done() && Clock::now() < until) {
            Serve(5ms);
        }
        return done();
    }
    [[nodiscard]] bool Connected() { return rig.link.Record()->line.connected != 0; }
    static constexpr int kSliceMs = 10;

    // The device went: told without a box, and typed keys and commands are refused.
    void ExpectAwayAndRefusing() {
        ASSERT_TRUE(ServeUntil([&] { return !Connected(); }));
        const std::string lost = "T8 disconnected: " + folder.Path("t8") + " hung up";
        EXPECT_NE(rig.screenText.find("[" + lost + "; waiting for it to come back]"),
                  std::string::npos);
        EXPECT_EQ(rig.linkUi.statuses.back(), lost + ". Waiting for it to come back...");
        EXPECT_TRUE(rig.linkUi.messages.empty());
        EXPECT_FALSE(rig.linkUi.timerRunning);

        const std::string refused =
            "Not sent: the T8 is disconnected; waiting for " + folder.Path("t8") + " to come back.";
        rig.linkUi.statuses.clear();
        EXPECT_EQ(rig.keys->TypeKey('W'), 0);
        ASSERT_EQ(rig.linkUi.statuses.size(), 1U);
        EXPECT_EQ(rig.linkUi.statuses.back(), refused);
        rig.ui.answers.push_back(rig.MakeFile("later.hex", ":00000001FF\r\n"));
        rig.transfers->SendFileCommand(); // F8: its "RE" is refused, nothing is armed
        EXPECT_EQ(rig.linkUi.statuses.size(), 2U);
        EXPECT_EQ(rig.link.Record()->transfer.sendPending, 0U);
        EXPECT_EQ(returnedAt.load(), Clock::time_point{}) << "typed before the device came back";
    }

    // The device is back: connected within a second, the terminal says so, typing works and
    // nothing typed while it was away reaches it.
    void ExpectBackAndTyping() {
        ASSERT_TRUE(ServeUntil([&] { return Connected(); }));
        const auto connectedAt = Clock::now();
        ASSERT_NE(returnedAt.load(), Clock::time_point{});
        EXPECT_LE(connectedAt - returnedAt.load(), kBackWithin);
        EXPECT_TRUE(rig.linkUi.timerRunning);
        EXPECT_TRUE(rig.link.ReaderRunning());
        const std::string notice = "T8 reconnected on " + folder.Path("t8");
        EXPECT_EQ(rig.linkUi.statuses.back(), notice);
        const std::size_t at = rig.screenText.rfind("[" + notice + "]\r\n");
        ASSERT_NE(at, std::string::npos) << rig.screenText;
        const std::size_t after = at + notice.size() + 4;
        // a device switched on afresh greets; then the typed key and the prompt after ESC
        ASSERT_TRUE(ServeUntil([&] { return rig.screenText.size() >= after + 3; }));
        rig.Type("Z\x1b");
        ASSERT_TRUE(ServeUntil([&] { return rig.screenText.size() >= after + 7; }));
        Serve(200ms); // anything more would come now
        EXPECT_EQ(rig.screenText.substr(after), "\r\n>Z\r\n>");
    }

    TempFolder folder;
    TransferRig rig;
    std::unique_ptr<sim::SimServer> server;
    std::thread serving;
    std::atomic<Clock::time_point> returnedAt{};
    Clock::time_point nextRetry{};
    Clock::time_point nextTick{};
};

TEST_F(ReconnectPtyTest, DroppedWhileIdle) {
    Start({});
    server->ToggleLine();
    ExpectAwayAndRefusing();
    ExpectBackAndTyping();
}

TEST_F(ReconnectPtyTest, DroppedDuringASend) {
    sim::ServerOptions options;
    options.hangupAfter = 3000; // bytes from the host: the file is far longer
    Start(options);
    std::vector<std::uint8_t> data(20000);
    std::iota(data.begin(), data.end(), std::uint8_t{1});
    rig.ui.answers.push_back(rig.MakeFile("big.hex", IntelText(data)));
    rig.transfers->SendFileCommand(); // the view's timer confirms the device's prompt
    ExpectAwayAndRefusing();
    EXPECT_NE(rig.screenText.find("[The send of big.hex was stopped after "), std::string::npos);
    const int ticks = rig.ui.ticks;
    ExpectBackAndTyping(); // and the device got nothing more of the file
    EXPECT_EQ(rig.ui.ticks, ticks) << "the send is not started again";
    EXPECT_EQ(rig.link.Record()->transfer.sendPending, 0U);
}

TEST_F(ReconnectPtyTest, DroppedDuringAReceive) {
    sim::ServerOptions options;
    options.hangupAfterSent = 2000; // bytes to the host: the range is far longer
    Start(options);
    const std::string target = rig.folder + "/cut.hex";
    rig.ui.answers.push_back(target);
    rig.transfers->ReceiveFileCommand();
    ASSERT_TRUE(ServeUntil([&] { return rig.screenText.ends_with("range "); }));
    rig.Type("00000,0FFFF");
    ASSERT_TRUE(ServeUntil([&] { return rig.screenText.ends_with("0FFFF"); }));
    rig.Type("\r"); // runs the receive until the line goes, then saves what came
    ExpectAwayAndRefusing();
    EXPECT_NE(rig.screenText.find("[The receive was stopped after "), std::string::npos);
    const std::string saved = ReadFile(target);
    EXPECT_GT(saved.size(), 1000U);
    const std::string sent = IntelText(std::vector<std::uint8_t>(0x10000, 0xFF)); // erased RAM
    EXPECT_EQ(sent.substr(0, saved.size()), saved) << "what arrived is kept";
    ExpectBackAndTyping();
    EXPECT_EQ(rig.link.Record()->transfer.receiveActive, 0U) << "the receive is not started again";
}

// The device vanishes leaving its link behind, and another program's terminal is given its
// pty number: the stale link leads there now and is never opened. The device's return behind
// a link made anew is.
TEST_F(ReconnectPtyTest, AStaleLinkToAReusedPtyNumberIsNeverOpened) {
    sim::ServerOptions options;
    options.leaveLinkOnPull = true;
    Start(options);
    const std::string number = server->SlavePath();
    server->ToggleLine();
    ASSERT_TRUE(ServeUntil([&] { return !Connected(); }));
    ASSERT_EQ(std::filesystem::read_symlink(folder.Path("t8")).string(), number);
    const auto others = PtyPair::TakeNumber(number);
    ASSERT_EQ(others.back()->SlavePath(), number);
    PtyPair& taken = *others.back();
    Serve(1s);
    ASSERT_EQ(returnedAt.load(), Clock::time_point{}) << "the device came back too soon";
    EXPECT_FALSE(Connected());
    EXPECT_TRUE(rig.link.AwaitingDevice());
    EXPECT_EQ(taken.ReadFor(1, 100), "") << "nothing reached the other program's terminal";
    ExpectBackAndTyping(); // on its new pty, behind the link it made again
    EXPECT_EQ(taken.ReadFor(1, 100), "");
}

} // namespace
} // namespace t8::test
