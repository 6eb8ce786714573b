#include "tests/support/LinkTestSupport.h"

#include "link/CommError.h"
#include "link/LinkNotices.h"
#include "link/ReaderThread.h"
#include "link/SerialLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace t8::test {
namespace {

class SerialLinkTest : public ::testing::Test {
protected:
    SerialLinkTest()
        : link(ui, target,
               [this](const std::string&) { return std::make_unique<FakePort>(port); }) {}

    void Open(std::uint8_t flowCtrl = 0) {
        ASSERT_EQ(link.CreateLinkRecord(), 1);
        link.Record()->com.devicePath = "/dev/fake";
        link.Record()->com.flowCtrl = flowCtrl;
        ASSERT_NE(link.OpenPort(), 0);
    }
    int Send(std::string_view text) { return link.SendBytes(text); }

    RecordingUi ui;
    RecordingTarget target;
    FakePort::State port;
    SerialLink link;
};

TEST_F(SerialLinkTest, ConnectionCheckFollowsTheConfiguredHandshake) {
    struct Case {
        std::uint8_t flow;
        std::uint32_t lines;
        bool refused;
    };
    const Case cases[] = {
        {kFlowRtsCts, 0, true},         // cable pulled, RTS/CTS configured
        {kFlowRtsCts, kModemDsr, true}, // DSR alone does not do
        {kFlowDtrDsr, kModemCts, true}, // DSR low, CTS high, only DTR/DSR configured
        {kFlowDtrDsr | kFlowRtsCts, kModemCts, true},
        {kFlowRtsCts, kModemCts, false},
        {kFlowDtrDsr, kModemDsr, false},
        {0, 0, false}, // nothing configured: never judged absent
    };
    Open();
    for (const auto& c : cases) {
        link.Record()->com.flowCtrl = c.flow;
        port.modemStatus = c.lines;
        port.written.clear();
        ui.messages.clear();
        EXPECT_EQ(Send("BU"), c.refused ? 0 : 1) << int(c.flow) << " " << c.lines;
        EXPECT_EQ(port.written, c.refused ? "" : "BU");
        ASSERT_EQ(ui.messages.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(ui.messages[0].text, "T8 is not connected, Please check cable and setup");
            EXPECT_EQ(ui.messages[0].caption, "");
        }
    }
}

TEST_F(SerialLinkTest, XoffHoldsSendsSilentlyOnlyUnderSoftwareFlowControl) {
    Open(kFlowXonXoff);
    link.flags.txAllowed = 0;
    EXPECT_EQ(Send("CP"), 0);
    EXPECT_EQ(port.written, "");
    EXPECT_TRUE(ui.messages.empty());
    link.flags.txAllowed = 1;
    EXPECT_EQ(Send("CP"), 1);
    EXPECT_EQ(port.written, "CP");

    link.Record()->com.flowCtrl = 0; // XOFF state means nothing without the setting
    link.flags.txAllowed = 0;
    EXPECT_EQ(Send("X"), 1);
    EXPECT_EQ(port.written, "CPX");
}

TEST_F(SerialLinkTest, WriteOutcomes) {
    Open();
    EXPECT_EQ(link.SendBytes(nullptr, 0), 1) << "an empty write still counts as sent";

    port.writeLimit = 0;
    port.writeError = EIO;
    EXPECT_EQ(Send("LO"), 0) << "failed at once";
    EXPECT_TRUE(target.entries.empty());

    port.writeLimit = 1;
    EXPECT_EQ(Send("LO"), 1) << "part went out";
    EXPECT_EQ(target.All('s'), "<CE-5>");

    port.writeError = 0; // a time-out after one byte: no text, only the diagnostic
    EXPECT_EQ(Send("LO"), 1);
    EXPECT_EQ(target.All('s'), "<CE-5>");
    EXPECT_EQ(ui.debug.back(), "\nProbable Write Timeout: Total of 1 bytes sent");
}

TEST_F(SerialLinkTest, WriteTimeoutScalesWithTheRateAndVanishesAbove19200) {
    Open();
    const std::pair<std::uint32_t, std::uint32_t> perByte[] = {{9600, 2},  {19200, 1},  {14400, 1},
                                                               {28800, 0}, {115200, 0}, {300, 64}};
    for (const auto& [baud, ms] : perByte) {
        link.Record()->com.baudRate = baud;
        ASSERT_EQ(Send("ABCD"), 1);
        EXPECT_EQ(port.writeTimeouts.back(), 4 * ms) << baud;
    }
}

TEST_F(SerialLinkTest, AClosedPortSendsNothingAndSaysSoInTheStatusBar) {
    ASSERT_EQ(link.CreateLinkRecord(), 1);
    EXPECT_EQ(Send("CE"), 0);
    link.Record()->com.flowCtrl = kFlowRtsCts; // no lines to judge on a closed port: no box either
    EXPECT_EQ(Send("CE"), 0);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.statuses.size(), 2u);
    EXPECT_EQ(ui.statuses[1],
              "Not sent: the port is closed; open the port again with Port parameters (Ctrl+R).");
    // t8batch has no menus: it says what happened without the window's advice
    EXPECT_EQ(WithoutWindowAdvice(ui.statuses[1]), "Not sent: the port is closed.");
    EXPECT_EQ(WithoutWindowAdvice(LostNotice("/dev/ttyUSB0", false).status),
              "T8 disconnected: /dev/ttyUSB0 hung up.");
    EXPECT_EQ(WithoutWindowAdvice("T8 reconnected on /dev/ttyUSB0"),
              "T8 reconnected on /dev/ttyUSB0");
}

TEST_F(SerialLinkTest, DispatchRules) {
    Open();
    TTYInfo& tty = *link.Record();
    auto show = [&](std::string_view text) {
        return link.ShowReceived(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    EXPECT_EQ(show("a"), 1);
    tty.transfer.captureOn = 1;
    show("b");
    tty.transfer.receiveActive = 1;
    show("c"); // captured and received, not shown
    tty.transfer.receiveActive = 0;
    link.flags.displayHeld = 1;
    show("d"); // captured only
    tty.transfer.captureOn = 0;
    show("e"); // dropped
    link.flags.displayHeld = 0;
    show("f");

    std::string order;
    for (const auto& entry : target.entries) {
        order += entry.where;
        order += entry.bytes;
        EXPECT_TRUE(entry.zeroTerminated);
    }
    EXPECT_EQ(order, "sasbcbccrccdsf"); // a block on its way to the screen is captured as shown
}

// A screen that, inside the blocks it is shown, calls back into the link as a wrap does.
class ReenteringTarget : public RecordingTarget {
public:
    std::function<void(const std::string&)> inside;
    void ProcessScreen(const std::uint8_t* bytes, std::size_t count) override {
        RecordingTarget::ProcessScreen(bytes, count);
        if (count > 1 && inside) {
            inside(std::string(reinterpret_cast<const char*>(bytes), count));
        }
    }
};

TEST(SerialLinkNestingTest, NestedBlocksAndWrapLineFeedsAreCapturedWhereTheyHappened) {
    RecordingUi ui;
    ReenteringTarget target;
    FakePort::State port;
    SerialLink link(ui, target,
                    [&](const std::string&) { return std::make_unique<FakePort>(port); });
    ASSERT_EQ(link.CreateLinkRecord(), 1);
    const auto show = [&](const std::string& text) {
        link.ShowReceived(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    // the screen feeds a wrap's line feed back in while the outer block is still being shown
    std::string seenAfterNested;
    target.inside = [&](const std::string& block) {
        show("\n");
        seenAfterNested = block;
    };
    link.Record()->transfer.captureOn = 1;
    show("abcdef");
    EXPECT_EQ(seenAfterNested, "abcdef") << "a nested block leaves the outer one intact";
    EXPECT_EQ(target.All('c'), "abcdef\n");

    // the screen wraps twice inside a block, and an error text is shown from inside it as well
    target.entries.clear();
    target.inside = [&](const std::string& block) {
        if (block.size() == 6) {
            link.ShowWrapLineFeed(2);
            link.ShowWrapLineFeed(4);
            show("<E>");
        }
    };
    link.Record()->transfer.captureOn = 0;
    show("abcdef");
    EXPECT_EQ(target.All('s'), "abcdef\n\n<E>");
    EXPECT_EQ(target.All('c'), "") << "capture is off";
    link.Record()->transfer.captureOn = 1;
    show("abcdef");
    EXPECT_EQ(target.All('c'), "ab\ncd\nef<E>");
    link.Record()->transfer.receiveActive = 1;
    show("abcdef");
    EXPECT_EQ(target.All('c'), "ab\ncd\nef<E>abcdef") << "a receive takes the block whole";
}

// A flood waiting whole is taken in slices within one frame's budget: plain ones while its text
// hides nothing, as a bell that is taken byte by byte costs what a whole line would; larger
// ones only once a slice's last lines hid the rest.
TEST_F(SerialLinkTest, OnlyTextThatHidesItselfIsTakenInLargeSlices) {
    Open();
    target.hidingLineFeeds = 8;
    const auto slices = [&](const std::string& flood) {
        const int seen = ui.Wakes();
        FakePort::Deliver(port, flood);
        EXPECT_TRUE(ui.WaitForWake(seen, 5000));
        for (bool read = false; !read; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
            const std::lock_guard lock(port.input.mutex);
            read = port.input.bytes.empty();
        }
        std::this_thread::sleep_for(
            std::chrono::milliseconds(100)); // the last block into the queue
        ui.debug.clear();
        EXPECT_FALSE(link.DispatchReceived(std::chrono::hours(1)));
        std::vector<std::size_t> sizes;
        for (const std::string& line : ui.debug) {
            if (line.ends_with(" bytes received")) {
                sizes.push_back(std::stoul(line.substr(1)));
            }
        }
        return sizes;
    };
    const std::size_t plain = 64 * 1024 + ReaderThread::kBlockBytes;
    const auto bells = slices(std::string(1200 * 1024, '\a'));
    EXPECT_GT(bells.size(), 10u);
    EXPECT_LE(*std::max_element(bells.begin(), bells.end()), plain);
    EXPECT_EQ(target.overrun, 0u);

    std::string lines;
    while (lines.size() < 1200 * 1024) {
        lines += "a line\r\n";
    }
    const auto hidden = slices(lines);
    EXPECT_GT(*std::max_element(hidden.begin(), hidden.end()), plain);
    EXPECT_GT(target.overrun, lines.size() / 2);
}

TEST_F(SerialLinkTest, RunningTransfersHearOfAHangUpFirstAndTheTimerStops) {
    Open();
    std::string heard;
    {
        const LineWatch ended(link, [&](LineLoss) {
            heard += '?';
            return std::string("never");
        });
    }
    const LineWatch watch(link, [&](LineLoss why) {
        heard += why == LineLoss::HangUp ? 'H' : 'C';
        EXPECT_FALSE(link.LineOpen()) << "the port is freed first";
        EXPECT_TRUE(why != LineLoss::HangUp || ui.statuses.empty()) << "before the operator "
                                                                       "is told";
        return std::string(why == LineLoss::HangUp ? "The send of x.hex was stopped." : "");
    });
    const int seen = ui.Wakes();
    FakePort::HangUp(port);
    ASSERT_TRUE(ui.WaitForWake(seen, 5000));
    link.DispatchReceived();
    link.DispatchReceived();
    EXPECT_EQ(watch.Loss(), LineLoss::HangUp);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.statuses.size(), 1u);
    EXPECT_EQ(ui.statuses[0], "T8 disconnected: /dev/fake hung up. Waiting for it to come back...");
    EXPECT_EQ(target.All('s'), "[T8 disconnected: /dev/fake hung up; waiting for it to come "
                               "back]\r\n[The send of x.hex was stopped.]\r\n");
    EXPECT_FALSE(ui.timerRunning);
    const std::uint8_t byte = 'x';
    EXPECT_EQ(link.WriteAvailable(&byte, 1).error, ENOTCONN);
    EXPECT_EQ(Send("X"), 0);

    FakePort::HangUp(port, false); // plugged in again
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_NE(link.OpenPort(), 0); // a reopen closes first
    link.ClosePort();
    link.ClosePort(); // nothing open, nothing to tell
    EXPECT_EQ(heard, "HCC");
    EXPECT_FALSE(link.AwaitingDevice()) << "a close is no hang-up";
    EXPECT_EQ(ui.statuses.back(), "") << "the status bar is given back at the reopen";
}

TEST_F(SerialLinkTest, NoRecordMeansEveryOperationFails) {
    EXPECT_EQ(link.OpenPort(), 0);
    EXPECT_EQ(Send("BU"), 0);
    const std::uint8_t byte = 'x';
    EXPECT_EQ(link.ShowReceived(&byte, 1), 0);
    EXPECT_EQ(link.ClosePort(), 1);
    EXPECT_TRUE(target.entries.empty());
}

TEST_F(SerialLinkTest, OpenConfiguresTheLineAndStartsTheTimer) {
    ASSERT_EQ(link.CreateLinkRecord(), 1);
    TTYInfo& tty = *link.Record();
    tty.com.devicePath = "/dev/fake";
    tty.com.comLocalEcho = 1;
    ASSERT_NE(link.OpenPort(), 0); // what reaches the line: PtyLinkTest, on a real terminal
    EXPECT_TRUE(port.dtr);
    EXPECT_TRUE(port.rts);
    EXPECT_TRUE(ui.timerRunning);
    EXPECT_TRUE(ui.caret);
    EXPECT_FALSE(ui.waitCursor);
    EXPECT_EQ(tty.line.connected, 1u);
    EXPECT_EQ(tty.line.echoActive, 1u);
    EXPECT_TRUE(link.ReaderRunning());

    link.ClosePort();
    EXPECT_FALSE(port.dtr);
    EXPECT_FALSE(ui.timerRunning);
    EXPECT_FALSE(ui.caret);
    EXPECT_EQ(tty.line.connected, 0u);
    EXPECT_FALSE(link.ReaderRunning());
}

TEST_F(SerialLinkTest, FailedOpenStartsNoTimerAndExplainsItself) {
    ASSERT_EQ(link.CreateLinkRecord(), 1);
    link.Record()->com.comPort = 3;
    port.failOpen = true;
    EXPECT_EQ(link.OpenPort(), 0);
    EXPECT_FALSE(ui.timerRunning);
    EXPECT_FALSE(ui.waitCursor);
    EXPECT_EQ(link.OpenFailureMessage(),
              "Cannot create connection via port COM3!\nCOM3 don't exist or is used by another "
              "application.\n\n/dev/ttyUSB2: No such file or directory");
    EXPECT_EQ(link.LastOpenError(), (LinkError{LinkErrorKind::NotFound, ENOENT}));

    port.failOpen = false;
    port.failConfigure = true; // rejected settings: port closed again, but the timer runs
    EXPECT_EQ(link.OpenPort(), 0);
    EXPECT_TRUE(ui.timerRunning);
    EXPECT_EQ(link.LastOpenError(), LinkError::SettingsRefused(EINVAL));
    EXPECT_EQ(link.OpenFailureMessage(),
              "Cannot create connection via port COM3!\nCOM3 don't exist or is used by another "
              "application.\n\n/dev/ttyUSB2: Invalid argument");

    link.SetPortOverride("/dev/ttyACM3"); // named for this run: wins over the stored port
    EXPECT_EQ(link.DevicePath(), "/dev/ttyACM3");
    EXPECT_EQ(link.OpenFailureMessage().rfind("Cannot create connection via port /dev/ttyACM3!\n"
                                              "/dev/ttyACM3 don't exist",
                                              0),
              0u);
    EXPECT_EQ(link.Record()->com.devicePath, "");
    link.SetPortOverride("");

    link.Record()->com.comPort = 200; // a stored number nothing maps to
    EXPECT_EQ(link.OpenPort(), 0);
    EXPECT_EQ(link.LastOpenError(), (LinkError{LinkErrorKind::NoAddress, 0}));
    EXPECT_EQ(link.OpenFailureMessage(),
              "Cannot create connection via port COM200!\nCOM200 don't exist or is used by "
              "another application.\n\nNo device is mapped to this port number.");
}

TEST_F(SerialLinkTest, HooksRunAroundTheRecord) {
    std::string calls;
    link.SetHooks({[&](TTYInfo& t) {
                       calls += 'L';
                       t.com.baudRate = 9600;
                   },
                   [&](TTYInfo& t) { calls += t.com.baudRate == 9600 ? 'S' : '?'; },
                   [&](TTYInfo&) { calls += 'F'; }});
    ASSERT_EQ(link.CreateLinkRecord(), 1);
    link.DestroyLinkRecord();
    EXPECT_EQ(calls, "LFS");
    EXPECT_EQ(link.Record(), nullptr);
}

} // namespace
} // namespace t8::test
