// A cable pulled during a receive, as the operator meets it: the real save and examine dialogs
// come and go. What the transfer says and keeps is checked by the transfer's own tests.
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
    std::thread device; // plays the T8 while the window's modal loops run
};

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
    EXPECT_FALSE(view->TransferTimerRunning());
}

} // namespace
} // namespace t8::test
