// The window's transfers as an operator meets them: a cable pulled during a send or a receive.
// Real dialogs, the device on a pty.
#include "tests/ui/WindowFixture.h"

#include "commands/CommandIds.h"
#include "examine/CExamineFileDlg.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <thread>

namespace t8::test {
namespace {

class TransferWindowTest : public WindowFixture {
protected:
    static constexpr const char* kLost = "T8 disconnected: ";
    static constexpr int kPatienceMs = 10000; // the device's thread and the modal loops
    void TearDown() override {
        if (device.joinable()) {
            device.join();
        }
        WindowFixture::TearDown();
    }
    // The text on the screen, its rows side by side (the lines looked for are shorter).
    [[nodiscard]] bool ScreenShows(const std::string& text) const {
        const auto& screen = view->Link().Record()->screen;
        return std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size())
                   .find(text) != std::string_view::npos;
    }

    std::thread device; // plays the T8 while the window's modal loops run
};

TEST_F(TransferWindowTest, APulledCableEndsASendAndTheProgramGoesOn) {
    view->Link().Record()->comLocalEcho = 1;
    const std::string file = WriteFile("big.hex", std::string(200000, 'D'));
    std::string taken;
    device = std::thread([&] {
        if (pty.ReadFor(2, 5000) == "RE" && pty.WriteAll("Receive INTEL data\r\n")) {
            taken = pty.ReadFor(5000, 5000);
        }
        pty.CloseMaster();
    });
    doc.OnOpenDocument(file, [](const std::string&) { return CProgTermDoc::Answer::Download; });
    ASSERT_TRUE(WaitFor([&] { return frame->PromptText().startsWith(kLost); }, kPatienceMs));
    device.join();
    EXPECT_EQ(taken.substr(0, 2), "\rD");
    EXPECT_TRUE(ScreenShows("[The send of big.hex was stopped after "));
    // no box to click away: the fixture fails on any window nobody expected
    EXPECT_TRUE(WaitFor([] { return QApplication::activeModalWidget() == nullptr; }, kPatienceMs));
    EXPECT_FALSE(view->TransferTimerRunning());
    EXPECT_FALSE(view->Link().LineOpen());
    EXPECT_EQ(view->Link().Record()->echoActive, 1u);
    QTest::keyClicks(view, "x"); // a closed port ignores typing
}

TEST_F(TransferWindowTest, APulledCableDuringAReceiveOffersWhatArrivedForSaving) {
    const std::string records = ":10000000000102030405060708090A0B0C0D0E0F78\r\n:1000";
    const QString saveAs = dir.filePath("cut.hex");
    modals.Then<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, saveAs); });
    modals.Then<CExamineFileDlg>([](CExamineFileDlg* dialog) { dialog->reject(); });
    device = std::thread([&] {
        if (pty.ReadFor(2, 5000) == "SE" && pty.WriteAll("Send INTEL data range 00000,00FFF") &&
            pty.ReadFor(1, 5000) == "\r" && pty.WriteAll("\r\n" + records)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
        }
        pty.CloseMaster();
    });
    frame->Action(cmd::kReceiveFile)->trigger();
    ASSERT_TRUE(WaitFor(
        [&] { return view->Transfer().Fields().prompt.Text().find("00FFF") != std::string::npos; },
        kPatienceMs));
    QTest::keyClick(view, Qt::Key_Return); // the receive runs until the line is gone
    ASSERT_TRUE(WaitFor([&] { return modals.Done(); }, kPatienceMs));
    device.join();
    QFile saved(saveAs);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), records);
    EXPECT_TRUE(frame->PromptText().startsWith(kLost));
    EXPECT_TRUE(ScreenShows("[The receive was stopped after " + std::to_string(records.size()) +
                            " bytes; they are kept for saving.]"));
    EXPECT_FALSE(view->TransferTimerRunning());
    EXPECT_EQ(view->Link().flags.displayHeld, 0u);
}

} // namespace
} // namespace t8::test
