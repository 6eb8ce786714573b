// The window's transfers as an operator meets them: a cable pulled during a send or a receive,
// and document requests while the port is closed. Real dialogs, the device on a pty.
#include "tests/support/PtyPair.h"

#include "app/CMainFrame.h"
#include "commands/CommandIds.h"
#include "settings/SettingsStore.h"
#include "terminal/CProgTermView.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace t8::test {
namespace {

// Answers every modal window as an operator would: message boxes with OK, the save dialog
// with `saveAs`, the examine dialog by closing it. Remembers what it saw.
class Operator {
public:
    Operator() {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] { Answer(); });
        timer.start();
    }
    QStringList messages;
    QStringList examined;
    QString saveAs;

private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages << box->text();
            box->done(QMessageBox::Ok);
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            // selectFile leaves the name field alone while it has the focus: type into it.
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            name ? name->setText(saveAs) : files->selectFile(saveAs);
            QMetaObject::invokeMethod(files, "accept");
        } else if (modal != nullptr && modal->objectName() == "CExamineFileDlg") {
            examined << modal->windowTitle();
            qobject_cast<QDialog*>(modal)->reject();
        }
    }
    QTimer timer;
};

class TransferWindowTest : public ::testing::Test {
protected:
    static constexpr const char* kLost = "T8 disconnected: ";
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        store = std::make_unique<SettingsStore>(dir.filePath("t8.ini"));
        frame = std::make_unique<CMainFrame>();
        view = new CProgTermView(*frame, doc, *store, frame.get());
        frame->setCentralWidget(view);
        QObject::connect(frame.get(), &CMainFrame::CommandTriggered, view,
                         &CProgTermView::OnCommand);
        frame->resize(800, 500);
        view->OnCreate(pty.SlavePath());
        frame->show();
        QApplication::setActiveWindow(frame.get());
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    void TearDown() override {
        if (device.joinable()) {
            device.join();
        }
    }
    template <typename Done> bool WaitFor(Done done, int timeoutMs = 10000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            QTest::qWait(10);
        }
        return done();
    }
    QString MakeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return path;
    }
    // The text on the screen, its rows side by side (the lines looked for are shorter).
    [[nodiscard]] bool ScreenShows(const std::string& text) const {
        const auto& screen = view->Link().Record()->screen;
        return std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size())
                   .find(text) != std::string_view::npos;
    }
    [[nodiscard]] bool MessageSays(const QString& part) const {
        return std::any_of(user.messages.begin(), user.messages.end(),
                           [&](const QString& text) { return text.contains(part); });
    }

    QTemporaryDir dir;
    PtyPair pty;
    Operator user;
    CProgTermDoc doc;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<CMainFrame> frame;
    CProgTermView* view = nullptr;
    std::thread device; // plays the T8 while the window's modal loops run
};

TEST_F(TransferWindowTest, APulledCableEndsASendAndTheProgramGoesOn) {
    view->Link().Record()->comLocalEcho = 1;
    const QString file = MakeFile("big.hex", QByteArray(200000, 'D'));
    std::string taken;
    device = std::thread([&] {
        if (pty.ReadFor(2, 5000) == "RE" && pty.WriteAll("Receive INTEL data\r\n")) {
            taken = pty.ReadFor(5000, 5000);
        }
        pty.CloseMaster();
    });
    doc.OnOpenDocument(file.toStdString(),
                       [](const std::string&) { return CProgTermDoc::Answer::Download; });
    ASSERT_TRUE(WaitFor([&] { return frame->PromptText().startsWith(kLost); }));
    device.join();
    EXPECT_EQ(taken.substr(0, 2), "\rD");
    EXPECT_TRUE(ScreenShows("[The send of big.hex was stopped after "));
    EXPECT_TRUE(WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    EXPECT_TRUE(user.messages.isEmpty()) << "no box to click away";
    EXPECT_FALSE(view->TransferTimerRunning());
    EXPECT_FALSE(view->Link().LineOpen());
    EXPECT_EQ(view->Link().Record()->echoActive, 1u);
    QTest::keyClicks(view, "x"); // a closed port ignores typing
}

TEST_F(TransferWindowTest, APulledCableDuringAReceiveOffersWhatArrivedForSaving) {
    const std::string records = ":10000000000102030405060708090A0B0C0D0E0F78\r\n:1000";
    user.saveAs = dir.filePath("cut.hex");
    device = std::thread([&] {
        if (pty.ReadFor(2, 5000) == "SE" && pty.WriteAll("Send INTEL data range 00000,00FFF") &&
            pty.ReadFor(1, 5000) == "\r" && pty.WriteAll("\r\n" + records)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
        }
        pty.CloseMaster();
    });
    frame->Action(cmd::kReceiveFile)->trigger();
    ASSERT_TRUE(WaitFor([&] {
        return view->Transfer().Fields().prompt.Text().find("00FFF") != std::string::npos;
    }));
    QTest::keyClick(view, Qt::Key_Return); // the receive runs until the line is gone
    ASSERT_TRUE(WaitFor([&] { return !user.examined.isEmpty(); }));
    device.join();
    QFile saved(user.saveAs);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), records);
    EXPECT_TRUE(frame->PromptText().startsWith(kLost));
    EXPECT_TRUE(ScreenShows("[The receive was stopped after " + std::to_string(records.size()) +
                            " bytes; they are kept for saving.]"));
    EXPECT_TRUE(user.messages.isEmpty()) << "the save dialog, but no box to click away";
    EXPECT_FALSE(view->TransferTimerRunning());
    EXPECT_EQ(view->Link().flags.displayHeld, 0u);
}

// With the port closed the view's timer does not run; a document's request is still carried
// out: Examine needs no device, and a download says why it cannot run.
TEST_F(TransferWindowTest, DocumentRequestsAreCarriedOutWithThePortClosed) {
    CProgTermDoc otherDoc;
    SettingsStore otherStore(dir.filePath("other.ini"));
    CMainFrame other;
    auto* lonely = new CProgTermView(other, otherDoc, otherStore, &other);
    lonely->OnCreate("/dev/nonexistent-t8");
    const QString file = MakeFile("x.hex", ":00000001FF\r\n");
    using enum CProgTermDoc::Answer;
    otherDoc.OnOpenDocument(file.toStdString(), [](const std::string&) { return Examine; });
    EXPECT_TRUE(WaitFor([&] { return !user.examined.isEmpty(); }));
    otherDoc.OnOpenDocument(file.toStdString(), [](const std::string&) { return Download; });
    EXPECT_TRUE(WaitFor(
        [&] { return MessageSays("Cannot send " + file + ": the port to the T8 is not open."); }));
    EXPECT_FALSE(lonely->TransferTimerRunning());
}

} // namespace
} // namespace t8::test
