#include "tools/t8batch/HeadlessTerminal.h"

#include "tests/support/LinkTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/transfer/TransferHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

namespace t8 {
namespace {

using test::FakePort;

// What t8batch logs as the device's text: what reached the screen, once, as the device sent it.
class HeadlessTerminalTest : public ::testing::Test {
protected:
    HeadlessTerminalTest()
        : terminal(ui, {transferUi, transferUi, transferUi},
                   [this](const std::string&) { return std::make_unique<FakePort>(port); }) {
        terminal.OnDeviceText([this](const std::uint8_t* bytes, std::size_t count) {
            logged.append(reinterpret_cast<const char*>(bytes), count);
        });
        terminal.OnReceiveData([this](const std::uint8_t* bytes, std::size_t count) {
            received.append(reinterpret_cast<const char*>(bytes), count);
        });
    }

    void Open() {
        ASSERT_TRUE(terminal.CreateRecord([](TTYInfo& tty) { tty.com.devicePath = "/dev/fake"; }));
        ASSERT_NE(terminal.Link().OpenPort(), 0);
    }
    // The device sends `bytes` (or hangs up); the run dispatches them as its event loop does.
    void Device(const std::optional<std::string>& bytes) {
        const int seen = ui.Wakes();
        bytes ? FakePort::Deliver(port, *bytes) : FakePort::HangUp(port);
        ASSERT_TRUE(ui.WaitForWake(seen, 5000));
        terminal.Link().DispatchReceived();
    }

    test::RecordingUi ui;
    test::ScriptedUi transferUi;
    FakePort::State port;
    HeadlessTerminal terminal;
    std::string logged;   // what the transcript and --fail-on see
    std::string received; // what they never see
};

// The transcript and the --fail-on watch see the device's text only: a read-back of a part
// whose memory holds "FLASH ERROR" is data, not the device reporting an error.
TEST_F(HeadlessTerminalTest, OnlyTheDevicesTextIsLoggedNeverAReceivesData) {
    Open();
    const std::string longLine(100, 'x'); // wraps at 80 columns: the wrap's line feed is ours
    Device("\r\n>SE00000,0001F" + longLine);
    EXPECT_EQ(logged, "\r\n>SE00000,0001F" + longLine);

    logged.clear();
    terminal.Link().Record()->transfer.receiveActive = 1; // the data arrive while a receive runs
    Device(":10000000000102030405060708090A0B0C0D0E0F78\r\n");
    EXPECT_EQ(logged, "");
    EXPECT_EQ(received, ":10000000000102030405060708090A0B0C0D0E0F78\r\n");
    terminal.Link().Record()->transfer.receiveActive = 0;

    Device(std::nullopt);
    EXPECT_FALSE(terminal.Connected());
    EXPECT_EQ(logged, "") << "the hang-up line is the link's, not the device's";
}

// t8batch plays the messages, the progress loops and the timer, nothing else. A TX ends as the
// host's progress loop says; a batch's receive whose file cannot be written is offered to no one
// for another name, so the host finds it unsaved and reports the data lost.
TEST_F(HeadlessTerminalTest, TheHostsLoopsEndTheTransfersAndNobodyChoosesAFile) {
    Open();
    test::TempFolder folder;
    const std::string file = folder.Path("p.hex");
    std::ofstream(file) << "PAYLOAD";
    BatchTerminal& batch = terminal.Transfers();
    const RawSendResult sent = batch.SendFileRaw(file);
    EXPECT_EQ(sent.outcome, RawSendOutcome::Sent);
    EXPECT_EQ(sent.bytes, 7u);
    transferUi.beforeTick = [this](int) { transferUi.download->Cancel(); };
    EXPECT_EQ(batch.SendFileRaw(file).outcome, RawSendOutcome::Cancelled);

    transferUi.beforeTick = [this](int tick) {
        if (tick == 0) {
            Device("\r\n1234>");
        }
    };
    batch.PrepareBatchReceive(folder.Path("no/such.hex"));
    Device("Send ASCII data range 00000,00003");
    batch.TypeKey('\r');
    const FileReceiver& receiver = terminal.Transfers().Receiver();
    EXPECT_EQ(receiver.Received().Data().size(), 4u);
    EXPECT_TRUE(receiver.PresetReceive()) << "still waiting for its file: the data are lost";
    EXPECT_EQ(receiver.SavedPath(), "");
    EXPECT_THAT(transferUi.log, testing::Contains(testing::StartsWith("message Cannot write")));
    EXPECT_THAT(transferUi.log, testing::Each(testing::Not(testing::StartsWith("save "))));
}

} // namespace
} // namespace t8
