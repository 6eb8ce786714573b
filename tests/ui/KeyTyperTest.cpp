#include "tests/support/LinkTestSupport.h"

#include "link/SerialLink.h"
#include "terminal/KeyTyper.h"

#include <gtest/gtest.h>

namespace t8::test {
namespace {

class RecordingPrompt : public PromptKeys {
public:
    void StartSend() override { calls += 'S'; }
    void FinishReceive() override { calls += 'F'; }
    void CancelPrompt() override { calls += 'C'; }
    std::string calls;
};

class KeyTyperTest : public ::testing::Test {
protected:
    KeyTyperTest()
        : link(ui, target, [this](const std::string&) { return std::make_unique<FakePort>(port); }),
          keys(link, prompt) {}
    void OpenPort() {
        ASSERT_EQ(link.CreateLinkRecord(), 1);
        link.Record()->com.devicePath = "/dev/fake";
        ASSERT_NE(link.OpenPort(), 0);
    }
    void Type(std::string_view text) {
        for (char c : text) {
            keys.TypeKey(static_cast<std::uint8_t>(c));
        }
    }

    RecordingUi ui;
    RecordingTarget target;
    FakePort::State port;
    SerialLink link;
    RecordingPrompt prompt;
    KeyTyper keys;
};

TEST_F(KeyTyperTest, ClosedPortRefusesKeysEvenWithEchoAndSaysSo) {
    EXPECT_EQ(keys.TypeKey('A'), 0);
    ASSERT_EQ(link.CreateLinkRecord(), 1);
    link.Record()->line.echoActive = 1;
    EXPECT_EQ(keys.TypeKey('A'), 0);
    EXPECT_TRUE(target.entries.empty());
    EXPECT_EQ(port.written, "");
    ASSERT_EQ(ui.statuses.size(), 1U);
    EXPECT_TRUE(ui.statuses[0].starts_with("Not sent: the port is closed"));
    OpenPort();
    EXPECT_EQ(ui.statuses.back(), "") << "open again: the status bar is given back";
    Type("B");
    EXPECT_EQ(port.written, "B") << "nothing typed before was kept";
}

TEST_F(KeyTyperTest, EchoShowsWhatIsSentAndEnterAddsNoLineFeed) {
    OpenPort();
    Type("AB\r");
    EXPECT_EQ(port.written, "AB\r");
    EXPECT_TRUE(target.entries.empty()) << "no echo unless it is in force";
    link.Record()->line.echoActive = 1;
    link.Record()->transfer.captureOn = 1;
    Type("CD\r");
    EXPECT_EQ(port.written, "AB\rCD\r");
    EXPECT_EQ(target.All('s'), "CD\r");
    EXPECT_EQ(target.All('c'), "CD\r") << "echo is captured like received data";
}

TEST_F(KeyTyperTest, EnterAndEscAnswerAnAddressPrompt) {
    OpenPort();
    TTYInfo& tty = *link.Record();
    Type("\r\x1b");
    EXPECT_EQ(prompt.calls, "") << "no prompt armed";
    tty.transfer.addressPromptActive = 1;
    tty.transfer.sendPending = 1;
    Type("0100\r");
    tty.transfer.sendPending = 0;
    Type("\r\x1b");
    EXPECT_EQ(prompt.calls, "SFC");
    EXPECT_EQ(port.written, "\r\x1b"
                            "0100\r\r\x1b")
        << "every key still goes to the device";
}

} // namespace
} // namespace t8::test
