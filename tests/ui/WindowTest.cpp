#include "tests/ui/WindowFixture.h"

#include "app/CMainFrame.h"
#include "app/CSplashWindow.h"
#include "app/HelpWindow.h"
#include "app/ScreenFit.h"
#include "commands/CommandIds.h"
#include "examine/ui/CExamineFileDlg.h"
#include "settings/SettingsStore.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CTerminalSetup.h"
#include "terminal/ui/CProgTermView.h"
#include "transfer/TransferFields.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace t8::test {
namespace {

// The command table's ids and letters are checked where the table is; here only that a menu
// item, a table key and typed keys reach the line, and that Tab stays with the terminal.
TEST_F(WindowTest, MenusAndKeysPutTheirBytesOnTheLine) {
    frame->Action(cmd::kBurn)->trigger();
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClicks(view, "a1>");
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Escape);
    QTest::keyClick(view, Qt::Key_Tab);
    QTest::keyClick(view, Qt::Key_Backspace);
    EXPECT_EQ(pty.ReadFor(10, kPatienceMs), "BUXa1>\r\x1b\t\x08");
    EXPECT_TRUE(view->hasFocus()) << "Tab goes to the device, not to the next widget";
    EXPECT_EQ(frame->menuBar()->actions().size(), 9) << "the table's menus are all built";
}

TEST_F(WindowTest, ReceivedTextReachesTheScreenAndTheStatusBar) {
    EXPECT_EQ(frame->PositionText(), "Ln 0, Col 0");
    ASSERT_TRUE(pty.WriteAll("T8 ready\r\n>"));
    ASSERT_TRUE(WaitFor([&] { return RowText(1, 1) == ">"; }));
    EXPECT_EQ(RowText(0, 8), "T8 ready");
    EXPECT_EQ(frame->PositionText(), "Ln 1, Col 1");

    frame->Action(cmd::kClearScreen)->trigger();
    EXPECT_EQ(RowText(0, 8), "        ");
    EXPECT_EQ(frame->PositionText(), "Ln 0, Col 0");
}

// The window of an operator who keeps local echo on in the settings.
class EchoingWindowTest : public WindowFixture {
protected:
    void SetUp() override {
        Store("COM/LocalEcho", 1);
        WindowFixture::SetUp();
    }
};

// What the link hands the capture is the link's and the key typer's tests; here the command
// starts it and the document holds what arrived and what was typed, in order.
TEST_F(EchoingWindowTest, CaptureHoldsReceivedBytesAndTheEchoInOrder) {
    frame->Action(cmd::kCaptureStart)->trigger();
    ASSERT_TRUE(pty.WriteAll("in"));
    ASSERT_TRUE(WaitFor([&] { return doc.CaptureLength() >= 2; }));
    QTest::keyClicks(view, "ok");
    const auto& captured = doc.Captured();
    EXPECT_EQ(std::string(captured.begin(), captured.end()), "inok");
}

// With the port closed the view's timer does not run; a document's request is still carried
// out: Examine needs no device, and a download says why it cannot run.
TEST_F(WindowTest, ThePortThatCannotBeOpenedIsExplainedAndDocumentsAreStillServed) {
    bool examined = false;
    modals.Messages(1);
    modals.Then<CExamineFileDlg>([&](CExamineFileDlg* dialog) {
        examined = true;
        dialog->reject();
    });
    modals.Messages(1);
    CProgTermDoc otherDoc;
    SettingsStore otherStore(dir.filePath("other.ini"));
    CMainFrame other; // goes first: its view saves into the store
    auto* lonely = new CProgTermView(other, otherDoc, otherStore, &other);
    lonely->OnCreate("/dev/nonexistent-t8");
    ASSERT_EQ(modals.texts.size(), 1);
    EXPECT_TRUE(modals.texts[0].startsWith("Cannot create connection via port /dev/nonexistent"));
    EXPECT_FALSE(lonely->TransferTimerRunning());

    const std::string file = WriteFile("x.hex", ":00000001FF\r\n");
    using enum CProgTermDoc::Answer;
    otherDoc.OnOpenDocument(file, [](const std::string&) { return Examine; });
    EXPECT_TRUE(WaitFor([&] { return examined; }));
    otherDoc.OnOpenDocument(file, [](const std::string&) { return Download; });
    ASSERT_TRUE(WaitFor([&] { return modals.Done(); }));
    EXPECT_TRUE(modals.texts[1].contains("Cannot send " + QString::fromStdString(file) +
                                         ": the port to the T8 is not open."));
    EXPECT_FALSE(lonely->TransferTimerRunning());
}

// A cable pulled during a receive: the real save and examine dialogs come and go, the modal
// loops end. What the transfer says and keeps is checked by the transfer's own tests.
TEST_F(WindowTest, APulledCableDuringAReceiveOffersWhatArrivedForSaving) {
    const std::string records = ":10000000000102030405060708090A0B0C0D0E0F78\r\n:1000";
    const QString saveAs = dir.filePath("cut.hex");
    modals.Then<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, saveAs); });
    modals.Then<CExamineFileDlg>([](CExamineFileDlg* dialog) { dialog->reject(); });
    std::jthread device([&] { // plays the T8 while the window's modal loops run
        if (pty.ReadFor(2, kPatienceMs) == "SE" &&
            pty.WriteAll("Send INTEL data range 00000,00FFF") &&
            pty.ReadFor(1, kPatienceMs) == "\r" && pty.WriteAll("\r\n" + records)) {
            // the hang-up drops what the reader has not taken yet: time for a busy machine
            std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        }
        pty.CloseMaster();
    });
    frame->Action(cmd::kReceiveFile)->trigger();
    // the device's prompt, shown and taken by the receive in the same stroke
    ASSERT_TRUE(WaitFor([&] { return view->ScreenRow(0).find("00FFF") != std::string::npos; },
                        kPatienceMs));
    QTest::keyClick(view, Qt::Key_Return); // the receive runs until the line is gone
    ASSERT_TRUE(WaitFor([&] { return modals.Done(); }, kPatienceMs));
    device.join();
    QFile saved(saveAs);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), records);
    EXPECT_TRUE(frame->PromptText().startsWith("T8 disconnected: "));
    EXPECT_FALSE(view->TransferTimerRunning());
}

// An address the operator was asked for and declined with Esc: once the send is off, the status
// bar no longer asks for it.
TEST_F(WindowTest, TheAddressPromptGoesWhenTheSendIsDeclined) {
    const QString ready = frame->PromptText();
    const QString file = QString::fromStdString(WriteFile("b.bin", "xyz"));
    modals.Then<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, file); });
    frame->Action(cmd::kSendFile)->trigger();
    ASSERT_TRUE(WaitFor([&] { return modals.Done(); }));
    ASSERT_TRUE(pty.WriteAll("\r\nReceive BINARY data load address "));
    ASSERT_TRUE(WaitFor([&] { return frame->PromptText() == QString(kAddressPromptText); }));
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return frame->PromptText() == ready; }));
}

TEST_F(WindowTest, SettingsAreWrittenWhenTheViewGoes) {
    modals.Then<CTerminalSetup>([](CTerminalSetup* sheet) {
        sheet->ComPage()->BaudBox()->setCurrentText("9600");
        sheet->accept();
    });
    frame->Action(cmd::kPortParameters)->trigger();
    ASSERT_TRUE(modals.Done());
    frame.reset();
    EXPECT_EQ(Stored("COM/BautRate").toString(), "9600");
    EXPECT_EQ(Stored("COM/Device").toString(), "") << "the command line's port is not stored";
}

TEST(SplashTest, SwallowsOnlyPressesAndOnlyWhileShown) {
    CSplashWindow::Controller splash;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_FALSE(splash.PreTranslateAppMessage(&key)) << "disabled";
    splash.EnableSplashScreen(true);
    QWidget parent;
    splash.ShowSplashScreen(&parent);
    ASSERT_TRUE(splash.Showing());
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    EXPECT_FALSE(splash.PreTranslateAppMessage(&move));
    EXPECT_TRUE(splash.Showing());
    EXPECT_TRUE(splash.PreTranslateAppMessage(&key));
    EXPECT_FALSE(splash.Showing());
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_TRUE(splash.PreTranslateAppMessage(&release));
    EXPECT_FALSE(splash.PreTranslateAppMessage(&key)) << "only the one press is swallowed";
}

// Shift and J pressed over the picture end it; neither reaches the device, the next key does.
TEST_F(WindowTest, AKeyTypedOverTheSplashNeverReachesTheDevice) {
    CSplashWindow::Controller splash(nullptr, CSplashWindow::Placement::Window);
    splash.EnableSplashScreen(true);
    splash.ShowSplashScreen(frame.get());
    ASSERT_TRUE(splash.Showing());
    QTest::keyClick(view, Qt::Key_J, Qt::ShiftModifier);
    EXPECT_FALSE(splash.Showing());
    QTest::keyClick(view, Qt::Key_K);
    EXPECT_EQ(pty.ReadFor(1, 3000), "k");
}

// Only Wayland, where a program cannot place its own windows, lays the picture over the main
// window; there it stays in the window's middle as the window changes size.
TEST_F(WindowTest, TheSplashOverlaysTheMainWindowWhereWindowsCannotBePlaced) {
    for (const char* platform : {"wayland", "wayland-egl", "xcb", "offscreen"}) {
        EXPECT_EQ(CSplashWindow::PlacementFor(platform) == CSplashWindow::Placement::Overlay,
                  QString(platform).startsWith("wayland"));
    }
    CSplashWindow::Controller splash(nullptr, CSplashWindow::Placement::Overlay);
    splash.EnableSplashScreen(true);
    splash.ShowSplashScreen(frame.get());
    auto* picture = frame->findChild<CSplashWindow*>();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->isVisible() && !picture->isWindow());
    frame->resize(700, 650);
    ASSERT_TRUE(WaitFor([&] { return frame->height() == 650; }));
    EXPECT_LE((picture->geometry().center() - frame->rect().center()).manhattanLength(), 2);
}

// A 1280x900 screen at scale 2 with a panel on top; the window's decorations around it.
TEST(ScreenFitTest, AWindowIsShrunkAndMovedIntoTheAvailableArea) {
    const QRect area(0, 24, 640, 426);
    const QMargins frame(4, 30, 4, 4);
    EXPECT_EQ(FitIntoArea({100, 100, 300, 200}, frame, area), QRect(100, 100, 300, 200));
    for (const QRect client : {QRect(80, 60, 800, 560), QRect(-500, -300, 320, 200),
                               QRect(900, 800, 320, 200), QRect(2000, 2000, 4000, 3000)}) {
        const QRect fitted = FitIntoArea(client, frame, area);
        EXPECT_TRUE(area.contains(fitted.marginsAdded(frame)));
        EXPECT_EQ(fitted.size(), client.size().boundedTo(area.size().shrunkBy(frame)));
    }
}

TEST(HelpTest, TheManualIsSearchable) {
    HelpWindow help;
    const auto capture = help.Search("capture save");
    ASSERT_FALSE(capture.isEmpty());
    EXPECT_EQ(capture.front().second, "qrc:/help/terminal.html");
    EXPECT_TRUE(help.Search("zzzunknownword").isEmpty());
    help.ShowPage(HelpWindow::kContents);
    EXPECT_TRUE(help.Browser()->toPlainText().contains("T8HostLink"));
}

} // namespace
} // namespace t8::test
