#include "tests/support/TempFolder.h"
#include "tests/transfer/LibraryRecords.h"
#include "tests/ui/ModalDriver.h"
#include "tests/ui/WindowFixture.h"

#include "commands/CommandIds.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CDirectoriesPage.h"
#include "settings/ui/CDirectoriesSetup.h"
#include "settings/ui/CTerminalSetup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

namespace t8::test {
namespace {

// True when no one holds `path`: an open port holds its lock.
bool PortFree(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return free;
}

// The window on a pty started with --port, as `scripts/t8dev run` starts it on the simulator.
class PreferencesCommandsTest : public WindowFixture {
protected:
    // Runs a command; the driver answers its windows. False when one was left unanswered or
    // an unexpected one came.
    bool Run(int command) {
        frame->Action(command)->trigger();
        EXPECT_TRUE(modals.unexpected.isEmpty()) << modals.unexpected.join(", ").toStdString();
        return modals.Done() && modals.unexpected.isEmpty();
    }
    // A file of the test's folder chosen in a file dialog.
    void Choose(QFileDialog* dialog, const char* name) { ChooseFile(dialog, dir.filePath(name)); }
};

TEST_F(PreferencesCommandsTest, PortParametersReopenTheLineAtTheChosenRate) {
    ASSERT_EQ(pty.ReadSettings().ospeed, 115200U);
    bool closedMeanwhile = false;
    QString portShown;
    modals.Then<CTerminalSetup>([&](CTerminalSetup* sheet) {
        closedMeanwhile = PortFree(pty.SlavePath());
        portShown = sheet->ComPage()->PortBox()->currentText();
        sheet->ComPage()->BaudBox()->setCurrentText("9600");
        sheet->accept();
    });
    ASSERT_TRUE(Run(cmd::kPortParameters));
    EXPECT_TRUE(closedMeanwhile) << "the scan must find the program's own port free";
    EXPECT_EQ(portShown, QString::fromStdString(pty.SlavePath()) + " - this run only (--port)");
    EXPECT_EQ(pty.ReadSettings().ospeed, 9600U) << "read back from the line";
    QTest::keyClicks(view, "k");
    EXPECT_EQ(pty.ReadFor(1, kPatienceMs), "k") << "the same device, open again";
    EXPECT_TRUE(view->TransferTimerRunning());
    frame.reset();
    EXPECT_EQ(Stored("COM/BautRate").toString(), "9600");
}

TEST_F(PreferencesCommandsTest, APortThatDoesNotOpenAfterOkIsExplained) {
    modals.Then<CTerminalSetup>([](CTerminalSetup* sheet) {
        sheet->ComPage()->PortBox()->setEditText("/dev/null"); // a device, but no terminal
        sheet->accept();
    });
    modals.Messages(1); // the link's text, which its own tests check
    ASSERT_TRUE(Run(cmd::kPortParameters));
    bool runNoteShown = true;
    modals.Then<CTerminalSetup>([&](CTerminalSetup* sheet) {
        runNoteShown = !sheet->ComPage()->RunOnlyNote()->isHidden();
        sheet->reject();
    });
    modals.Messages(1); // it does not open this time either
    ASSERT_TRUE(Run(cmd::kPortParameters));
    EXPECT_FALSE(runNoteShown) << "another port was chosen for good";
    frame.reset();
    EXPECT_EQ(Stored("COM/Device").toString(), "/dev/null");
}

// The cable pulled with Port parameters opened meanwhile: the link's wait, its texts and the
// refusals are checked by the link's tests; here the status bar shows them, the wait survives
// the sheet without a box, and the device is taken back when it returns.
TEST_F(PreferencesCommandsTest, AnUnpluggedDeviceIsAwaitedThroughTheSheetAndTakenBack) {
    TempFolder folder;
    PtyPair first;
    folder.Link("t8", first.SlavePath());
    const std::string t8 = folder.Path("t8");
    modals.Then<CTerminalSetup>([&](CTerminalSetup* sheet) {
        sheet->ComPage()->PortBox()->setEditText(QString::fromStdString(t8));
        sheet->accept();
    });
    ASSERT_TRUE(Run(cmd::kPortParameters));
    first.CloseMaster();
    folder.Remove("t8");
    const std::string awaiting =
        "T8 disconnected: " + t8 + " hung up. Waiting for it to come back...";
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->PromptText().toStdString() == awaiting; },
                                kPatienceMs));

    QString shownMeanwhile;
    modals.Then<CTerminalSetup>([&](CTerminalSetup* sheet) {
        shownMeanwhile = frame->PromptText();
        sheet->reject();
    });
    ASSERT_TRUE(Run(cmd::kPortParameters)); // and no box about the port that does not open
    EXPECT_EQ(shownMeanwhile.toStdString(), "T8 disconnected from " + t8 + "; the port is closed.")
        << "an explicit close stops the wait";
    EXPECT_EQ(frame->PromptText().toStdString(),
              "T8 disconnected. Waiting for " + t8 + " to come back...")
        << "the reopen found nothing: the wait goes on";

    PtyPair second;
    folder.Link("t8", second.SlavePath());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame->PromptText().startsWith("T8 reconnected on "); }, kPatienceMs));
    EXPECT_TRUE(view->TransferTimerRunning());
    QTest::keyClicks(view, "k");
    EXPECT_EQ(second.ReadFor(1, kPatienceMs), "k");
}

TEST_F(PreferencesCommandsTest, NewDirectoriesAreWhereTheNextSendStarts) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("down"));
    const QString down = dir.filePath("down");
    std::ofstream(dir.filePath("sent.hex").toStdString()) << ":00000001FF\n";
    // a send first, so there is a remembered folder for the new settings to replace
    modals.Then<QFileDialog>([this](QFileDialog* dialog) { Choose(dialog, "sent.hex"); });
    ASSERT_TRUE(Run(cmd::kSendFile));
    EXPECT_EQ(pty.ReadFor(2, kPatienceMs), "RE");
    QTest::keyClick(view, Qt::Key_Escape); // the device never answered: give up the send
    modals.Then<CDirectoriesSetup>([&](CDirectoriesSetup* sheet) {
        sheet->Page()->Field(&DirectorySettings::downloadDirectory)->setText(down);
        sheet->accept();
    });
    ASSERT_TRUE(Run(cmd::kDirectories));
    frame->Action(cmd::kSavePreferences)->trigger();
    EXPECT_EQ(Stored("DIRS/DownloadDirectory").toString(), down);
    QString started;
    modals.Then<QFileDialog>([&](QFileDialog* dialog) {
        started = dialog->directory().absolutePath();
        dialog->reject();
    });
    ASSERT_TRUE(Run(cmd::kSendFile));
    EXPECT_EQ(started, down);
}

// "/" is a folder like any other: the dialogs start there, not in the working folder.
TEST_F(PreferencesCommandsTest, DirectoriesAtTheRootAreWhereTheDialogsStart) {
    modals.Then<CDirectoriesSetup>([&](CDirectoriesSetup* sheet) {
        for (auto field :
             {&DirectorySettings::downloadDirectory, &DirectorySettings::libraryDirectory,
              &DirectorySettings::batchDirectory}) {
            sheet->Page()->Field(field)->setText("/");
        }
        sheet->accept();
    });
    ASSERT_TRUE(Run(cmd::kDirectories));
    for (const int command : {cmd::kSendFile, cmd::kReceiveLibrary, cmd::kExecuteBatch}) {
        QString started;
        modals.Then<QFileDialog>([&](QFileDialog* dialog) {
            started = dialog->directory().absolutePath();
            dialog->reject();
        });
        ASSERT_TRUE(Run(command));
        EXPECT_EQ(started, "/") << command;
    }
}

// --no-reconnect holds for the run: the page shows it off and leaves the stored choice alone.
TEST_F(PreferencesCommandsTest, ReconnectingOffForTheRunIsShownOffAndNotStored) {
    for (const bool allowed : {true, false}) {
        view->AllowReconnect(allowed);
        bool checked = !allowed;
        bool enabled = !allowed;
        modals.Then<CTerminalSetup>([&](CTerminalSetup* sheet) {
            checked = sheet->ComPage()->ReconnectBox()->isChecked();
            enabled = sheet->ComPage()->ReconnectBox()->isEnabled();
            sheet->accept();
        });
        ASSERT_TRUE(Run(cmd::kPortParameters));
        EXPECT_EQ(checked, allowed);
        EXPECT_EQ(enabled, allowed);
    }
    frame.reset();
    EXPECT_EQ(Stored("COM/Reconnect").toInt(), 1);
}

TEST_F(PreferencesCommandsTest, LibraryDownloadThroughTheWindow) {
    const QString file = dir.filePath("lib.hex");
    std::ofstream(file.toStdString()) << IntelRecord(0x0100, {1, 2}) << "\n"
                                      << IntelRecord(0xF800, {3}) << "\n"
                                      << kEndRecord << "\n";
    modals.Then<QFileDialog>([this](QFileDialog* dialog) { Choose(dialog, "lib.hex"); });
    modals.Messages(2); // the start question and "File downloaded successfully"
    ASSERT_TRUE(Run(cmd::kReceiveLibrary));
    EXPECT_EQ(modals.texts,
              (QStringList{"Do you wish to start library ?", "File downloaded successfully"}));
    const std::string sent =
        "RL" + IntelRecord(0x0100, {1, 2}) + "\r\n" + kEndRecord + "\r\nXX00000\r\rBA   \x1b\r";
    EXPECT_EQ(pty.ReadFor(sent.size(), kPatienceMs), sent);
}

} // namespace
} // namespace t8::test
