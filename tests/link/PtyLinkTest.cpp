#include "tests/support/LinkTestSupport.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"

#include "link/LineFrame.h"
#include "link/LineSpeed.h"
#include "link/SerialLink.h"
#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <poll.h>
#include <thread>

namespace t8::test {
namespace {

using namespace std::chrono_literals;

int ThreadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

// The count once it equals `expected` or two seconds have passed: a joined thread's entry can
// stay in /proc a moment longer on a loaded machine.
int ThreadCountSettlingAt(int expected) {
    int count = ThreadCount();
    for (int i = 0; i < 200 && count != expected; ++i) {
        std::this_thread::sleep_for(10ms);
        count = ThreadCount();
    }
    return count;
}

// The count once two readings 20 ms apart agree.
int SteadyThreadCount() {
    int count = ThreadCount();
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(20ms);
        const int again = ThreadCount();
        if (again == count) {
            break;
        }
        count = again;
    }
    return count;
}

class PtyLinkTest : public ::testing::Test {
protected:
    PtyLinkTest() : link(ui, target) {}

    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        ASSERT_EQ(link.CreateLinkRecord(), 1);
        link.Record()->com.devicePath = pty.SlavePath();
    }

    // Dispatches on this thread, as the window would, until `count` screen bytes arrived.
    std::string ScreenFor(std::size_t count, int timeoutMs = 5000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            const int seen = ui.Wakes();
            link.DispatchReceived();
            if (target.All('s').size() >= count) {
                break;
            }
            ui.WaitForWake(seen, 100);
        }
        return target.All('s');
    }

    // The window's loop, received blocks and device events, until `done` or five seconds.
    bool Serve(const std::function<bool()>& done) {
        for (int i = 0; i < 100 && !done(); ++i) {
            link.DispatchReceived();
            pollfd watch{link.DeviceWatchFd(), POLLIN, 0};
            if (::poll(&watch, 1, 50) == 1) {
                link.OnDeviceEvent();
            }
        }
        return done();
    }
    // The adapter, open as dev/ttyUSB0 behind a stable name, is unplugged: both names go.
    void UnplugTheAdapterBehindItsStableName(TempFolder& dev) {
        dev.Link("ttyUSB0", pty.SlavePath());
        dev.Link("by-id/usb-T8_Adapter-if00", "../ttyUSB0");
        link.SetStableNameFolder(dev.Path("by-id"));
        link.Record()->com.devicePath = dev.Path("ttyUSB0");
        ASSERT_NE(link.OpenPort(), 0);
        EXPECT_EQ(link.Identity().byIdLink, dev.Path("by-id/usb-T8_Adapter-if00"));
        pty.CloseMaster();
        dev.Remove("by-id");
        dev.Remove("ttyUSB0");
        ASSERT_TRUE(Serve([&] { return link.AwaitingDevice(); }));
    }

    PtyPair pty;
    RecordingUi ui;
    RecordingTarget target;
    SerialLink link;
};

TEST_F(PtyLinkTest, EverySettingReachesTheLine) {
    struct Case {
        LineSettings line;
        int dataBits;
        bool parityOn, parityOdd, stick, twoStop;
    };
    const Case cases[] = {
        {{115200, 8, kParityNone, kStopOne, 0}, 8, false, false, false, false},
        {{14400, 8, kParityNone, kStopOne, 0}, 8, false, false, false, false},
        {{28800, 7, kParityEven, kStopTwo, 0}, 7, true, false, false, true},
        {{300, 6, kParityOdd, kStopOne, 0}, 6, true, true, false, false},
        {{9600, 5, kParityMark, kStopOneAndHalf, 0}, 5, true, true, true, true},
        {{57600, 8, kParitySpace, kStopOne, kFlowRtsCts}, 8, true, false, true, false},
        {{1234567, 8, kParityNone, kStopOne, kFlowXonXoff}, 8, false, false, false, false},
    };
    for (const auto& c : cases) {
        TTYInfo& tty = *link.Record();
        tty.com.baudRate = c.line.baudRate;
        tty.com.byteSize = c.line.byteSize;
        tty.com.parity = c.line.parity;
        tty.com.stopBits = c.line.stopBits;
        tty.com.flowCtrl = c.line.flowCtrl;
        ASSERT_NE(link.OpenPort(), 0) << c.line.baudRate;
        const auto r = pty.ReadSettings();
        EXPECT_EQ(r.ospeed, c.line.baudRate);
        EXPECT_EQ(r.ispeed, c.line.baudRate);
        // A pty keeps 8 data bits without parity whatever it is asked; a UART takes the frame
        // as composed, so that is checked here.
        const FrameFlags frame = ComposeFrame(c.line);
        const auto asked = PtyPair::Decode(frame.cflag, frame.iflag);
        EXPECT_EQ(asked.dataBits, c.dataBits);
        EXPECT_EQ(asked.parityOn, c.parityOn);
        EXPECT_EQ(r.inpck, c.parityOn);
        EXPECT_EQ(r.parityOdd, c.parityOdd);
        EXPECT_EQ(r.stickParity, c.stick);
        EXPECT_EQ(r.twoStop, c.twoStop);
        EXPECT_EQ(r.rtsCts, (c.line.flowCtrl & kFlowRtsCts) != 0);
        EXPECT_EQ(r.ixoff, (c.line.flowCtrl & kFlowXonXoff) != 0);
        EXPECT_FALSE(r.ixon) << "the reader, not the driver, acts on the device's XOFF";
        EXPECT_TRUE(r.raw);
        link.ClosePort();
    }
}

// A frame no serial line carries fails the open before the driver is asked, and the message
// names the setting to change instead of a missing device.
TEST_F(PtyLinkTest, SettingsTheUartRefusesFailTheOpenNamingTheSetting) {
    const std::pair<LineSettings, const char*> refused[] = {
        {{0, 8, 0, 0, 0}, "Baud Rate: 0 is no rate"},
        {{9600, 4, 0, 0, 0}, "Data Bits: a serial line carries 5 to 8 data bits, not 4."},
        {{9600, 9, 0, 0, 0}, "Data Bits: a serial line carries 5 to 8 data bits, not 9."},
        {{9600, 8, 5, 0, 0}, "Parity: 5 is none of"},
        {{9600, 8, 0, 3, 0}, "Stop Bits: 3 is none of"},
        {{9600, 7, 0, kStopOneAndHalf, 0},
         "Stop Bits: 1 1/2 stop bits go only with 5 data bits, not with 7; choose 1 or 2 stop "
         "bits."},
        {{9600, 5, 0, kStopTwo, 0}, "Stop Bits: with 5 data bits the line sends 1 1/2"}};
    const std::string opening = "Cannot create connection via port " + pty.SlavePath() +
                                "!\nThe line cannot take the port parameters. ";
    for (const auto& [line, problem] : refused) {
        TTYInfo& tty = *link.Record();
        tty.com.baudRate = line.baudRate;
        tty.com.byteSize = line.byteSize;
        tty.com.parity = line.parity;
        tty.com.stopBits = line.stopBits;
        EXPECT_EQ(link.OpenPort(), 0);
        EXPECT_EQ(tty.line.connected, 0u);
        EXPECT_FALSE(link.ReaderRunning());
        const std::string message = link.OpenFailureMessage();
        EXPECT_EQ(message.rfind(opening + problem, 0), 0U) << message;
        EXPECT_EQ(message.find("don't exist"), std::string::npos);
        EXPECT_TRUE(message.ends_with("\nChange it with Port parameters (Ctrl+R).")) << message;
    }
    // the frames next to them are fine
    for (const LineSettings line : {LineSettings{9600, 5, 0, kStopOneAndHalf, 0},
                                    LineSettings{9600, 7, kParityEven, kStopTwo, 0},
                                    LineSettings{50, 6, kParitySpace, kStopOne, 0}}) {
        EXPECT_EQ(FrameProblem(line), "") << int{line.byteSize};
    }
}

TEST_F(PtyLinkTest, DataFlowsBothWaysAndABurstArrivesInOrderedBlocks) {
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_TRUE(pty.WriteAll(">"));
    EXPECT_EQ(ScreenFor(1), ">");
    ASSERT_EQ(link.SendBytes("CP"), 1);
    EXPECT_EQ(pty.ReadFor(2, 5000), "CP");

    target.entries.clear();
    std::string burst;
    for (int i = 0; i < 5000; ++i) {
        burst += static_cast<char>('A' + i % 26 + (i / 26 % 2) * 32);
    }
    std::thread writer([&] { pty.WriteAll(burst); });
    const std::string got = ScreenFor(burst.size());
    writer.join();
    EXPECT_EQ(got, burst);
    EXPECT_GE(target.entries.size(), 3u);
    for (const auto& entry : target.entries) {
        EXPECT_LE(entry.bytes.size(), ReaderThread::kBlockBytes);
    }
    // the debug lines account for every byte taken in: the flood benchmark times them
    std::size_t reported = 0;
    for (const std::string& line : ui.debug) {
        if (line.ends_with(" bytes received")) {
            reported += std::stoul(line.substr(1));
        }
    }
    EXPECT_EQ(reported, 1 + burst.size());
}

TEST_F(PtyLinkTest, ClosingIsPromptAndReopeningAHundredTimesLeavesOneReader) {
    // One round first: a sanitizer runtime starts a helper thread of its own at the first one.
    ASSERT_NE(link.OpenPort(), 0);
    std::this_thread::sleep_for(50ms); // let the reader settle into its wait
    const auto start = std::chrono::steady_clock::now();
    link.ClosePort();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "prompt while the device is silent";
    EXPECT_FALSE(link.ReaderRunning());
    const int before = SteadyThreadCount();
    for (int i = 0; i < 100; ++i) {
        ASSERT_NE(link.OpenPort(), 0) << i;
        if (i % 2 == 0) {
            link.ClosePort(); // and every other time OpenPort closes the old port itself
        }
    }
    ASSERT_NE(link.OpenPort(), 0);
    EXPECT_EQ(ThreadCountSettlingAt(before + 1), before + 1);
    ASSERT_TRUE(pty.WriteAll("ok"));
    EXPECT_EQ(ScreenFor(2), "ok");
    link.ClosePort();
    EXPECT_EQ(ThreadCountSettlingAt(before), before);
}

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

TEST_F(PtyLinkTest, ThePortIsExclusive) {
    SerialPort first;
    SerialPort second;
    ASSERT_TRUE(first.Open(pty.SlavePath()));
    EXPECT_FALSE(second.Open(pty.SlavePath()));
    EXPECT_EQ(second.LastError(), (LinkError{LinkErrorKind::Busy, EBUSY}));
    EXPECT_EQ(link.OpenPort(), 0);
    EXPECT_NE(link.OpenFailureMessage().find(pty.SlavePath() + " don't exist or is used by"),
              std::string::npos);
    first.Close();
    EXPECT_TRUE(second.Open(pty.SlavePath()));
    EXPECT_EQ(second.ModemStatus(), kModemCts | kModemDsr | kModemRlsd)
        << "a pty has no modem lines; they count as present";
}

TEST_F(PtyLinkTest, TheDevicesXoffHoldsOurOutputUntilXonUnderXonXoffOnly) {
    link.Record()->com.flowCtrl = kFlowXonXoff;
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_TRUE(pty.WriteAll("\x13"));
    ScreenFor(1); // the reader has seen it
    std::thread device([&] {
        std::this_thread::sleep_for(300ms);
        pty.WriteAll("\x11");
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.SendBytes("AB"), 1);
    const std::string got = pty.ReadFor(2, 5000);
    device.join();
    EXPECT_EQ(got, "AB");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);

    // An XOFF must not outlive the settings it came under: the port page reopens the port
    // without them, and what we send goes out.
    ASSERT_TRUE(pty.WriteAll("\x13"));
    ScreenFor(target.All('s').size() + 1);
    link.Record()->com.flowCtrl = 0;
    ASSERT_NE(link.OpenPort(), 0);
    ASSERT_TRUE(pty.WriteAll("\x13"));
    ScreenFor(target.All('s').size() + 1);
    const auto again = std::chrono::steady_clock::now();
    EXPECT_EQ(link.SendBytes("CD"), 1);
    EXPECT_EQ(pty.ReadFor(2, 2000), "CD");
    EXPECT_LT(std::chrono::steady_clock::now() - again, 1s);
}

} // namespace
} // namespace t8::test
