#include "tests/ui/WindowFixture.h"

#include "batch/ui/CBatchDlg.h"
#include "commands/CommandIds.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace t8::test {
namespace {

// The window with its view on a pty; the test plays the device on the pty's master side.
class BatchDialogTest : public WindowFixture {
protected:
    // Runs the batch dialog as Execute batch does, on the file chosen in its file dialog;
    // `drive` works it from inside its loop, then it must close.
    void RunBatch(const std::string& path, const std::function<void(CBatchDlg&)>& drive) {
        modals.Then<QFileDialog>(
            [path](QFileDialog* dialog) { ChooseFile(dialog, QString::fromStdString(path)); });
        modals.Then<CBatchDlg>([drive](CBatchDlg* dialog) { drive(*dialog); });
        frame->Action(cmd::kExecuteBatch)->trigger();
        EXPECT_TRUE(
            WaitFor([&] { return modals.Done() && QApplication::activeModalWidget() == nullptr; }));
    }
    // What the device got, read while the window keeps running.
    std::string Read(std::size_t count) {
        std::string got;
        WaitFor([&] {
            got += pty.ReadFor(count - got.size(), 5);
            return got.size() >= count;
        });
        return got;
    }
};

TEST_F(BatchDialogTest, TypesWaitsPausesAndClosesWithOk) {
    const std::string path = WriteFile("job.t8b", "PRINT Burning part\r\nT8 bu:\r\nKEY\r\n");
    RunBatch(path, [&](CBatchDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Execute batch file");
        EXPECT_EQ(Read(3), "bu\r");
        EXPECT_EQ(dialog.MessageText(), "Burning part") << "shown without its line end";
        EXPECT_EQ(dialog.StatusText(), "Waiting for end of command");
        ASSERT_TRUE(pty.WriteAll("\r\nOK\r\n>"));
        ASSERT_TRUE(WaitFor([&] { return dialog.Executor().Paused(); }));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return dialog.Executor().Finished(); }));
        EXPECT_EQ(dialog.MessageText(), "Batch file executed successfully. Click OK.");
        EXPECT_EQ(dialog.StatusText(), "") << "the pause's words went with it";
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
}

// A TX file that is not there is named with the folder it was looked for in (beside the batch);
// the waits behind both TX lines say what they wait for.
TEST_F(BatchDialogTest, TxNamesAMissingFileWithItsFolderAndItsWaitsAreShown) {
    WriteFile("part.hex", ":00000001FF\r\n");
    const std::string path = WriteFile("tx.t8b", "TX missing.hex RE:\r\nTX part.hex RE:\r\n");
    QStringList texts;
    QTimer boxes; // the driver is busy in the batch's handler: this answers the boxes
    QObject::connect(&boxes, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->done(QMessageBox::Ok);
        }
    });
    boxes.start(20);
    RunBatch(path, [&](CBatchDlg& dialog) {
        EXPECT_EQ(Read(3), "RE\r");
        ASSERT_TRUE(WaitFor([&] { return dialog.Executor().WaitingForPrompt(); }));
        ASSERT_EQ(texts.size(), 1);
        EXPECT_EQ(texts[0], "Error by opening file.\nFile: missing.hex\nFolder: " + dir.path());
        EXPECT_EQ(dialog.StatusText(), "Waiting for end of command");
        ASSERT_TRUE(pty.WriteAll("\r\n>"));
        EXPECT_EQ(Read(16), "RE\r:00000001FF\r\n");
        ASSERT_TRUE(WaitFor([&] { return dialog.Executor().WaitingForPrompt(); }));
        EXPECT_EQ(dialog.StatusText(), "Waiting for end of command");
        ASSERT_TRUE(pty.WriteAll("\r\n>"));
        ASSERT_TRUE(WaitFor([&] { return dialog.Executor().Finished(); }));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(texts.size(), 1);
}

// A batch that comes while the operator answers another window (here F9's file dialog) waits
// until that window is gone: the keys typed meanwhile are the operator's, for that window.
TEST_F(BatchDialogTest, ABatchWaitsUntilNoOtherWindowIsOpen) {
    const std::string path = WriteFile("late.t8b", "CMD x\r\n");
    bool batchUnderDialog = false;
    std::string typedUnderDialog;
    QTimer watch;
    int polls = 0;
    modals.Then<QFileDialog>([&](QFileDialog* dialog) {
        doc.OnOpenDocument(path, [](const std::string&) { return CProgTermDoc::Answer::Cancel; });
        // once the view's timer took the request, a while for the batch to show up wrongly
        QObject::connect(&watch, &QTimer::timeout, [&, dialog] {
            if (doc.Title() != "T8") {
                return;
            }
            batchUnderDialog = batchUnderDialog || view->findChild<CBatchDlg*>() != nullptr;
            typedUnderDialog += pty.ReadFor(1, 1);
            if (++polls == 10) {
                watch.stop();
                dialog->reject();
            }
        });
        watch.start(50);
    });
    modals.Then<CBatchDlg>([&](CBatchDlg* dialog) {
        EXPECT_EQ(Read(1), "x");
        ASSERT_TRUE(WaitFor([&] { return dialog->Executor().Finished(); }));
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    frame->Action(cmd::kReceiveLibrary)->trigger();
    ASSERT_TRUE(WaitFor([&] { return modals.Done(); }));
    EXPECT_FALSE(batchUnderDialog);
    EXPECT_EQ(typedUnderDialog, "");
}

TEST_F(BatchDialogTest, AbortLetsOkCloseAndEscEndsAtOnce) {
    const std::string path = WriteFile("wait.t8b", "T8 a\r\nT8 b\r\n");
    RunBatch(path, [&](CBatchDlg& dialog) {
        EXPECT_EQ(Read(1), "a");
        QTest::mouseClick(dialog.AbortButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.StatusText(), "Click OK to close dialog");
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    RunBatch(path, [&](CBatchDlg& dialog) { // RunBatch fails unless the modal loop ends
        EXPECT_EQ(Read(1), "a");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
}

// The view's timer starts the batch and must go on ticking under it: only its look at column 0
// of the cursor's row ends a wait whose prompt came before the wait began.
TEST_F(BatchDialogTest, TheStartupBatchRunsOnceAfterEightTicksWithTheViewTimerGoingOn) {
    const std::string path = WriteFile("start.t8b", "T8 a\r\nPRINT started\r\n");
    view->SetStartupBatch({true, path});
    const auto start = std::chrono::steady_clock::now();
    std::string typed;
    QTimer device;
    device.setInterval(5);
    QObject::connect(&device, &QTimer::timeout, [&] {
        if (typed.empty() && !(typed = pty.ReadFor(1, 5)).empty()) {
            EXPECT_TRUE(pty.WriteAll("\r\n>")); // at once, before the wait starts
        }
    });
    device.start();
    modals.Then<CBatchDlg>([&](CBatchDlg* dialog) {
        // a wait that never ends fails here, and the driver closes the dialog
        ASSERT_TRUE(WaitFor([&] { return dialog->Executor().Finished(); }));
        EXPECT_EQ(dialog->MessageText(), "Batch file executed successfully. Click OK.");
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(WaitFor([&] { return modals.Done(); }));
    EXPECT_EQ(typed, "a");
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(7 * CProgTermView::kTransferTimerMs));
    QTest::qWait(1000);
    EXPECT_TRUE(modals.unexpected.isEmpty()) << "runs once only";
}

} // namespace
} // namespace t8::test
