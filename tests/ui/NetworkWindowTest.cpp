#include "tests/support/Ser2netServer.h"
#include "tests/ui/ModalDriver.h"
#include "tests/ui/WindowFixture.h"

#include "commands/CommandIds.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CTerminalSetup.h"

#include <QComboBox>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
    ASSERT_TRUE(WaitFor([&] { return frame->PromptText() == "Ready"; })) << "connected";
    QTest::keyClicks(view, "k");
    EXPECT_EQ(pty.ReadFor(1, 3000), "k");
    EXPECT_EQ(pty.ReadSettings().ospeed, 115200U);

    modals.Then<CTerminalSetup>([](CTerminalSetup* sheet) {
        sheet->ComPage()->BaudBox()->setCurrentText("9600");
        sheet->accept();
    });
    frame->Action(cmd::kPortParameters)->trigger();
    ASSERT_TRUE(modals.Done());
    // connected beside the window, the port opens at the new rate
    EXPECT_TRUE(WaitFor([&] { return pty.ReadSettings().ospeed == 9600U; }));
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

// A host that never answers: a listener whose one-place backlog a first connection fills, so
// the kernel drops every further attempt and the connect waits out its limit.
class SilentHostWindowTest : public WindowFixture {
protected:
    void SetUp() override {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof at;
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&at), size), 0);
        ASSERT_EQ(::listen(listener, 0), 0);
        ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size), 0);
        ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&at), size), 0);
        address = "rfc2217://127.0.0.1:" + std::to_string(ntohs(at.sin_port));
        WindowFixture::SetUp();
    }
    void TearDown() override {
        WindowFixture::TearDown();
        ::close(filler);
        ::close(listener);
    }
    std::string PortAddress() override { return address; }

    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    std::string address;
};

TEST_F(SilentHostWindowTest, TheWindowRunsWhileTheConnectWaitsAndItsEndIsTold) {
    EXPECT_EQ(frame->PromptText().toStdString(), "Connecting to " + address + "...");
    int ticks = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++ticks; });
    beat.start(50);
    QString told;
    modals.Then<QMessageBox>([&](QMessageBox* box) {
        told = box->text();
        box->accept();
    });
    ASSERT_TRUE(WaitFor([&] { return modals.Done(); }));
    // the connect's five seconds passed with the event loop running, not held
    EXPECT_GT(ticks, 40);
    EXPECT_TRUE(told.contains("127.0.0.1 did not answer in time")) << told.toStdString();
    EXPECT_EQ(frame->PromptText().toStdString(), "Ready");
}

} // namespace
} // namespace t8::test
