#include "tests/support/Ser2netServer.h"
#include "tests/ui/ModalDriver.h"
#include "tests/ui/WindowFixture.h"

#include "commands/CommandIds.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CTerminalSetup.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace t8::test {
namespace {

// The window on a pty served by the real ser2net over RFC 2217, as a T8 in a lab rack is.
class NetworkWindowTest : public WindowFixture {
protected:
    void SetUp() override {
        if (!Ser2netServer::Installed()) {
            GTEST_SKIP() << Ser2netServer::kProgram << " is not installed";
        }
        ASSERT_TRUE(pty.Ok());
        server = std::make_unique<Ser2netServer>(pty.SlavePath(), "telnet(rfc2217)");
        ASSERT_TRUE(server->Start());
        WindowFixture::SetUp();
    }
    std::string PortAddress() override { return server->Address(); }

    std::unique_ptr<Ser2netServer> server;
};

TEST_F(NetworkWindowTest, TheRateSetOnThePageReachesTheFarDeviceAndAStoppedServerIsFoundAgain) {
    const std::string address = server->Address();
    QTest::keyClicks(view, "k");
    EXPECT_EQ(pty.ReadFor(1, 3000), "k");
    EXPECT_EQ(pty.ReadSettings().ospeed, 115200U);

    modals.Then<CTerminalSetup>([](CTerminalSetup* sheet) {
        sheet->ComPage()->BaudBox()->setCurrentText("9600");
        sheet->accept();
    });
    frame->Action(cmd::kPortParameters)->trigger();
    ASSERT_TRUE(modals.Done());
    EXPECT_EQ(pty.ReadSettings().ospeed, 9600U) << "set through the server before the reopen ended";
    QTest::keyClicks(view, "a");
    EXPECT_EQ(pty.ReadFor(1, 3000), "a");

    server->Stop();
    const std::string awaiting =
        "T8 disconnected: " + address + " hung up. Waiting for it to come back...";
    ASSERT_TRUE(WaitFor([&] { return frame->PromptText().toStdString() == awaiting; }))
        << frame->PromptText().toStdString();
    ASSERT_TRUE(server->Start());
    // the first retry comes a second after the hang-up, the next two seconds after that
    ASSERT_TRUE(WaitFor([&] { return frame->PromptText().startsWith("T8 reconnected on "); }, 8000))
        << frame->PromptText().toStdString();
    EXPECT_EQ(frame->PromptText().toStdString(), "T8 reconnected on " + address);
    EXPECT_EQ(pty.ReadSettings().ospeed, 9600U) << "the same settings again";
    QTest::keyClicks(view, "z");
    EXPECT_EQ(pty.ReadFor(1, 3000), "z");
}

} // namespace
} // namespace t8::test
