#include "tests/link/PtyLinkFixture.h"

#include "link/LineFrame.h"
#include "link/LineSpeed.h"
#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
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

// What a misbehaving device pours out: NULs, bytes above 0x7F, bells, lines far wider than any
// screen, CR-only progress lines and, among them, the flow characters. The last flow character
// is `last`, with the other one shortly before it and plain text after it.
std::string HostileFlood(std::size_t size, char last) {
    std::string flood;
    std::uint32_t seed = 0x7e57;
    while (flood.size() < size) {
        seed = seed * 1103515245u + 12345u;
        switch ((seed >> 16) % 8) {
        case 0:
            flood.append(3 * ReaderThread::kBlockBytes, 'W');
            break;
        case 1:
            flood += "42%\r";
            break;
        case 2:
            flood += '\0';
            break;
        case 3:
            flood += '\a';
            break;
        case 4:
            flood += static_cast<char>(0x80 + (seed >> 8) % 0x80);
            break;
        case 5:
            flood += (seed & 0x100) != 0 ? '\x13' : '\x11';
            break;
        default:
            flood += "line\r\n";
            break;
        }
    }
    flood += last == '\x13' ? '\x11' : '\x13';
    flood.append(ReaderThread::kBlockBytes + 7, '.');
    flood += last;
    flood.append(5 * ReaderThread::kBlockBytes, '-');
    return flood;
}

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

// Floods far larger than one read: every byte reaches the screen and the capture once, in order,
// and the flow character that came last decides whether our output waits.
TEST_F(PtyLinkTest, AHostileFloodIsCapturedByteForByteAndItsLastFlowCharacterHolds) {
    link.Record()->com.flowCtrl = kFlowXonXoff;
    link.Record()->transfer.captureOn = 1;
    ASSERT_NE(link.OpenPort(), 0);
    std::size_t sent = 0;
    for (const char last : {'\x13', '\x11'}) {
        const std::string flood = HostileFlood(3u << 20, last);
        sent += flood.size();
        std::thread device([&] { EXPECT_TRUE(pty.WriteAll(flood)); });
        const std::string screen = ScreenFor(sent, 60000);
        device.join();
        const std::string captured = target.All('c');
        ASSERT_EQ(captured.size(), sent);
        EXPECT_TRUE(captured.ends_with(flood)) << "the capture lost, doubled or moved bytes";
        EXPECT_EQ(screen, captured);

        std::thread resume([&] {
            std::this_thread::sleep_for(300ms);
            pty.WriteAll("\x11");
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(link.SendBytes("Z"), 1);
        EXPECT_EQ(pty.ReadFor(1, 5000), "Z");
        const auto waited = std::chrono::steady_clock::now() - start;
        resume.join();
        ++sent;
        ScreenFor(sent); // the XON, taken as the reader saw it
        if (last == '\x13') {
            EXPECT_GE(waited, 250ms) << "the flood's last XOFF did not hold our output";
        } else {
            EXPECT_LT(waited, 250ms) << "an XOFF before the flood's last XON held our output";
        }
    }
}

} // namespace
} // namespace t8::test
