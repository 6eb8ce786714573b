#include "tests/support/PtyPair.h"
#include "tests/transfer/LibraryRecords.h"
#include "tests/transfer/TransferHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace t8::test {
namespace {

constexpr int kDrainMs = 5; // what has arrived is read at once; this only bounds it

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

} // namespace
} // namespace t8::test
