#include "tests/link/PtyLinkFixture.h"

#include <gtest/gtest.h>

namespace t8::test {
namespace {

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

} // namespace
} // namespace t8::test
