#include "tests/link/PtyLinkFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace t8::test {
namespace {

using namespace std::chrono_literals;

TEST_F(PtyLinkTest, AHangUpIsToldOnceWithoutAMessageBoxAndEndsTheReader) {
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_TRUE(pty.WriteAll("last words"));
    EXPECT_EQ(ScreenFor(10), "last words");
    link.Record()->transfer.captureOn = 1;
    link.Record()->screen.column = 10; // where a screen would have its cursor after the text
    pty.CloseMaster();
    for (int i = 0; i < 50 && ui.statuses.empty(); ++i) {
        const int seen = ui.Wakes();
        link.DispatchReceived();
        if (ui.statuses.empty()) {
            ui.WaitForWake(seen, 100);
        }
    }
    // the texts, the stopped timer and the refused keys: ReconnectPtyTest, against the device
    EXPECT_TRUE(ui.messages.empty());
    const std::string lost = "T8 disconnected: " + pty.SlavePath() + " hung up";
    EXPECT_EQ(target.All('s'), "last words\r\n[" + lost + "]\r\n");
    EXPECT_FALSE(link.AwaitingDevice()) << "a pty's number is never the same device again";
    EXPECT_TRUE(target.All('c').empty()) << "the link's own line is not captured";
    EXPECT_FALSE(link.ReaderRunning());
    link.DispatchReceived();
    EXPECT_EQ(ui.statuses.size(), 1u);
}

// The adapter comes back as another node while a second adapter takes its old name: the link
// finds it by its stable name, and keeps using that name while the settings name the same port.
TEST_F(PtyLinkTest, AReconnectFollowsTheStableNameToTheAdaptersNewNode) {
    TempFolder dev;
    PtyPair other;
    PtyPair back;
    ASSERT_NO_FATAL_FAILURE(UnplugTheAdapterBehindItsStableName(dev));
    dev.Link("ttyUSB0", other.SlavePath());
    dev.Link("ttyUSB1", back.SlavePath());
    dev.Link("by-id/usb-T8_Adapter-if00", "../ttyUSB1");
    ASSERT_TRUE(Serve([&] { return link.Record()->line.connected != 0; }));
    EXPECT_EQ(ui.statuses.back(), "T8 reconnected on " + back.SlavePath());

    ASSERT_EQ(link.SendBytes("K"), 1);
    EXPECT_EQ(back.ReadFor(1, 2000), "K");
    EXPECT_EQ(other.ReadFor(1, 100), "") << "the adapter that took the old name is left alone";
    link.ClosePort(); // the library download closes and reopens: the same adapter again
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_EQ(link.SendBytes("L"), 1);
    EXPECT_EQ(back.ReadFor(1, 2000), "L");
    link.Record()->com.devicePath = other.SlavePath(); // another port chosen: that one counts
    EXPECT_EQ(link.DevicePath(), other.SlavePath());
}

// Port parameters left with OK while the adapter is away: the wait that goes on still knows the
// adapter by its stable name, and finds it under its new node.
TEST_F(PtyLinkTest, AWaitResumedAfterAReopenStillFollowsTheStableName) {
    TempFolder dev;
    PtyPair back;
    ASSERT_NO_FATAL_FAILURE(UnplugTheAdapterBehindItsStableName(dev));
    link.ClosePort();
    ASSERT_EQ(link.OpenPort(), 0);
    ASSERT_TRUE(link.AwaitingDevice());

    dev.Link("ttyUSB1", back.SlavePath());
    dev.Link("by-id/usb-T8_Adapter-if00", "../ttyUSB1");
    ASSERT_TRUE(Serve([&] { return link.Record()->line.connected != 0; }));
    ASSERT_EQ(link.SendBytes("K"), 1);
    EXPECT_EQ(back.ReadFor(1, 2000), "K");
}

// Port parameters left with OK while the device is away behind a stale link, its pty number
// given to another program meanwhile: the reopen leaves that terminal alone and waits on.
TEST_F(PtyLinkTest, AReopenDoesNotFollowAStaleLinkToAReusedPtyNumber) {
    TempFolder dev;
    auto device = std::make_unique<PtyPair>();
    dev.Link("t8", device->SlavePath());
    const std::string number = device->SlavePath();
    link.Record()->com.devicePath = dev.Path("t8");
    ASSERT_NE(link.OpenPort(), 0);
    device->CloseMaster();
    ASSERT_TRUE(Serve([&] { return link.AwaitingDevice(); }));
    device.reset();
    const auto others = PtyPair::TakeNumber(number);
    ASSERT_EQ(others.back()->SlavePath(), number);

    link.ClosePort();
    EXPECT_EQ(link.OpenPort(), 0);
    EXPECT_EQ(link.Record()->line.connected, 0U);
    EXPECT_TRUE(link.AwaitingDevice());
    EXPECT_EQ(ui.statuses.back(),
              "T8 disconnected. Waiting for " + dev.Path("t8") + " to come back...");
    EXPECT_EQ(link.SendBytes("K"), 0);
    EXPECT_EQ(others.back()->ReadFor(1, 100), "");
}

// Only a hang-up starts the wait, and not with the option off or --no-reconnect.
TEST_F(PtyLinkTest, OnlyAHangUpStartsTheWaitForTheDevice) {
    const auto hangUp = [&](PtyPair& device) {
        device.CloseMaster();
        for (int i = 0; i < 50 && link.Record()->line.connected != 0; ++i) {
            const int seen = ui.Wakes();
            link.DispatchReceived();
            ui.WaitForWake(seen, 100);
        }
    };
    TempFolder folder;
    folder.Link("t8", pty.SlavePath());
    link.Record()->com.devicePath = folder.Path("t8");
    ASSERT_NE(link.OpenPort(), 0);
    link.ClosePort();
    EXPECT_FALSE(link.AwaitingDevice()) << "closed by the operator";
    ASSERT_NE(link.OpenPort(), 0);

    link.Record()->com.comReconnect = 0;
    hangUp(pty);
    EXPECT_FALSE(link.AwaitingDevice());
    EXPECT_EQ(ui.statuses.back(),
              "T8 disconnected: " + folder.Path("t8") +
                  " hung up. Reconnect it, then open the port again with Port parameters "
                  "(Ctrl+R).");
    EXPECT_TRUE(ui.messages.empty());

    PtyPair again;
    folder.Link("t8", again.SlavePath());
    link.Record()->com.comReconnect = 1;
    link.AllowReconnect(false); // --no-reconnect
    ASSERT_NE(link.OpenPort(), 0);
    hangUp(again);
    EXPECT_FALSE(link.AwaitingDevice());
}

// Dispatches as the window would until the hang-up was told.
void ServeUntilTold(SerialLink& link, RecordingUi& ui) {
    // Bounded by time, not by turns: a flood wakes the window once per few kilobytes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ui.statuses.empty() && std::chrono::steady_clock::now() < deadline) {
        const int seen = ui.Wakes();
        link.DispatchReceived(std::chrono::milliseconds(20));
        if (ui.statuses.empty()) {
            ui.WaitForWake(seen, 100);
        }
    }
}

// Megabytes, a line end every 80 bytes.
std::string Flood(std::size_t size, char fill) {
    std::string flood(size, fill);
    for (std::size_t at = 79; at < size; at += 80) {
        flood[at] = '\n';
    }
    return flood;
}

// The device hangs up in the middle of a flood, the window taking it in slices: what arrived is
// shown in order, the hang-up is told once after it, and the device's new pty opens cleanly.
TEST_F(PtyLinkTest, AHangUpInTheMiddleOfAFloodIsToldOnceAfterWhatArrived) {
    link.Record()->com.comReconnect = 0;
    auto device = std::make_unique<PtyPair>();
    for (int round = 0; round < 2; ++round) {
        link.Record()->com.devicePath = device->SlavePath();
        ASSERT_NE(link.OpenPort(), 0) << round;
        target.entries.clear();
        ui.statuses.clear();
        const std::string flood = Flood(2u << 20, static_cast<char>('a' + round));
        std::thread writer([&] {
            device->WriteAll(flood);
            device->CloseMaster();
        });
        ServeUntilTold(link, ui);
        writer.join();
        ASSERT_EQ(ui.statuses.size(), 1u) << round;
        const std::string screen = target.All('s');
        const std::size_t notice = screen.find("[T8 disconnected: ");
        ASSERT_NE(notice, std::string::npos) << round;
        // The kernel drops the pty's line buffer at the hang-up while more may still follow it,
        // so only what came well before the hang-up is sure to be whole.
        constexpr std::size_t kLineBuffer = 16u << 10;
        ASSERT_GT(notice, kLineBuffer) << round;
        EXPECT_EQ(flood.compare(0, notice - kLineBuffer, screen, 0, notice - kLineBuffer), 0)
            << "what arrived before the hang-up came out of order, round " << round;
        EXPECT_FALSE(link.ReaderRunning());
        device = std::make_unique<PtyPair>();
    }
}

// The window far behind, the queue at its bound and the reader waiting for room: a hang-up
// and the operator's close then free the port at once, and what was queued is still shown.
TEST_F(PtyLinkTest, AHangUpWhileTheWindowIsFarBehindClosesPromptly) {
    link.Record()->com.comReconnect = 0;
    ASSERT_NE(link.OpenPort(), 0);
    const std::string chunk = Flood(64u << 10, 'f');
    std::size_t written = 0;
    while (pty.WriteAll(chunk, 1000)) {
        written += chunk.size();
    }
    ASSERT_GE(written, ReceiveQueue::kMaxQueuedBytes) << "the reader never waited for room";
    pty.CloseMaster();
    const auto start = std::chrono::steady_clock::now();
    link.ClosePort();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(link.ReaderRunning());
    link.DispatchReceived();
    EXPECT_GE(target.All('s').size(), ReceiveQueue::kMaxQueuedBytes);
}

// A hang-up the window has not yet taken must not end the port the operator opened since.
TEST_F(PtyLinkTest, AHangUpLeftInTheQueueDoesNotEndTheNextPort) {
    link.Record()->com.comReconnect = 0;
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_TRUE(pty.WriteAll("before"));
    ASSERT_TRUE(ui.WaitForWake(0, 5000)); // queued, not yet shown
    pty.CloseMaster();
    for (int i = 0; i < 200 && link.ReaderRunning(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_FALSE(link.ReaderRunning()) << "the reader never saw the hang-up";
    PtyPair next;
    link.Record()->com.devicePath = next.SlavePath();
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_TRUE(next.WriteAll("after"));
    EXPECT_EQ(ScreenFor(11), "beforeafter");
    EXPECT_EQ(link.Record()->line.connected, 1u);
    EXPECT_TRUE(link.ReaderRunning());
    ASSERT_EQ(link.SendBytes("K"), 1);
    EXPECT_EQ(next.ReadFor(1, 2000), "K");
}

} // namespace
} // namespace t8::test
