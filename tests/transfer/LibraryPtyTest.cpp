#include "tests/support/PtyPair.h"
#include "tests/transfer/LibraryRecords.h"
#include "tests/transfer/TransferHarness.h"

#include "sim/pty/SimServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace t8::test {
namespace {

constexpr int kPatienceMs = 10000; // generous: a loaded 2-core machine
constexpr int kDrainMs = 5;        // what has arrived is read at once; this only bounds it

const std::string kLow = IntelRecord(0x0010, {0x55, 0xAA, 0x01});
const std::string kTop = IntelRecord(0xF7FF, {0x77});
const std::string kDropped = IntelRecord(0xF800, {0x99});
const std::string kLibrary = kLow + "\n" + kDropped + "\n" + kTop + "\n" + kEndRecord + "\n";

// F9 on a plain pty: what the far end receives, each run of bytes marked with the line rate
// it arrived at ("[115200]RL..."). The rate is read back from the line after every pause, as
// the link only changes it between pauses.
class LibraryLineTest : public ::testing::Test {
protected:
    std::string Download(std::uint32_t baudRate) {
        TTYInfo& tty = *rig.link.Record();
        tty.devicePath = pty.SlavePath();
        tty.baudRate = baudRate;
        EXPECT_NE(rig.link.OpenPort(), 0);
        rig.ui.pause = [this](int ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            Drain();
        };
        rig.ui.answers.push_back(rig.MakeFile("line.hex", kLibrary));
        rig.transfers->ReceiveLibraryCommand();
        rig.link.ClosePort();
        return received;
    }
    void Drain() {
        const std::string bytes = pty.ReadFor(1U << 16, kDrainMs);
        if (bytes.empty()) {
            return;
        }
        const std::uint32_t rate = pty.ReadSettings().ospeed;
        if (rate != lastRate) {
            received += "[" + std::to_string(rate) + "]";
            lastRate = rate;
        }
        received += bytes;
    }

    PtyPair pty;
    TransferRig rig;
    std::string received;
    std::uint32_t lastRate = 0;
};

TEST_F(LibraryLineTest, At115200TheDeviceIsSteppedBackWithThreeBlanksAt9600) {
    ASSERT_TRUE(pty.Ok());
    EXPECT_EQ(Download(115200), "[115200]RL" + kLow + "\r\n" + kTop + "\r\n" + kEndRecord +
                                    "\r\nXX00000\r[9600]\rBA   \x1b[115200]\r");
}

// The whole download against the simulated T8: the library arrives without its F800 record,
// starts, and runs at the rate the PC stepped it back to.
TEST(LibrarySimTest, TheDeviceRunsTheLibraryAtThePcsRate) {
    sim::SimServer server(sim::DeviceOptions{}, sim::ServerOptions{});
    ASSERT_EQ(server.Open(), "");
    std::thread serving([&server] { (void)server.Run(); });
    TransferRig rig;
    rig.link.Record()->devicePath = server.SlavePath();
    ASSERT_NE(rig.link.OpenPort(), 0);
    const auto settle = [&rig](int ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        rig.link.DispatchReceived();
    };
    rig.ui.pause = settle;
    rig.ui.answers.push_back(rig.MakeFile("sim.hex", kLibrary));
    rig.transfers->ReceiveLibraryCommand();

    // the device answers at the PC's rate again
    rig.Type("LL");
    const auto shows = [&rig](std::string_view text) {
        const auto& screen = rig.link.Record()->screen;
        return std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size())
                   .find(text) != std::string_view::npos;
    };
    const std::string report = "Library of 3 records loaded and running at 115200 baud";
    for (int waited = 0; waited < kPatienceMs && !shows(report); waited += 50) {
        settle(50);
    }
    EXPECT_TRUE(shows(report));
    rig.link.ClosePort();
    server.Stop();
    serving.join();

    const sim::DeviceState& state = server.GetDevice().State();
    EXPECT_TRUE(state.libraryLoaded);
    EXPECT_TRUE(state.libraryRunning);
    EXPECT_EQ(state.libraryBaudRate, 115200U);
    EXPECT_EQ(server.GetDevice().BaudRate(), 115200U);
    EXPECT_EQ(state.library.At(0x11), 0xAA);
    EXPECT_EQ(state.library.At(0xF7FF), 0x77);
    EXPECT_EQ(server.GetDevice().NoiseBytes(), 0U);
}

} // namespace
} // namespace t8::test
