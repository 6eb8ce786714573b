#include "tests/support/PtyPair.h"
#include "tests/ui/ModalDriver.h"

#include "app/CMainFrame.h"
#include "app/CProgTermApp.h"
#include "batch/ui/CBatchDlg.h"
#include "examine/ui/CExamineFileDlg.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace t8::test {
namespace {

// The program started whole with one file named; the driver answers its windows, and any
// window it was not told of fails the test.
class StartupBatchTest : public ::testing::Test {
protected:
    static constexpr int kPatienceMs = 30000; // a met wait returns at once
    void SetUp() override {
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        ASSERT_TRUE(pty.Ok());
        program = std::make_unique<CProgTermApp>();
    }
    void TearDown() override {
        program.reset(); // it saves its settings into the test's folder
        qputenv("XDG_CONFIG_HOME", oldConfig);
        EXPECT_TRUE(modals.unexpected.isEmpty()) << modals.unexpected.join(", ").toStdString();
    }

    // Starts the program on `name` written with `text`, and lets it run for `ms` once the
    // driver has answered every window it expected.
    void Run(const std::string& name, const std::string& text, int ms) {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        CommandLine line;
        line.port = pty.SlavePath();
        line.file = path;
        line.showSplash = false;
        ASSERT_TRUE(program->InitInstance(line));
        EXPECT_EQ(program->Frame()->windowTitle().toStdString(),
                  std::filesystem::path(path).filename().string() + " - HostLink V2.17");
        ASSERT_TRUE(QTest::qWaitFor([&] { return modals.Done(); }, kPatienceMs));
        QTest::qWait(ms);
    }

    QTemporaryDir dir;
    PtyPair pty;
    ModalDriver modals;
    std::unique_ptr<CProgTermApp> program;

private:
    QByteArray oldConfig;
};

// A folder named like a batch does not make a batch; the title names the file while its
// request waits (the document's tests cover when it returns) and is back once it is taken.
TEST_F(StartupBatchTest, AHexFileIsExaminedUnderItsOwnTitle) {
    modals.Then<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Confirm");
        box->button(QMessageBox::No)->click(); // no download: examine it
    });
    modals.Then<CExamineFileDlg>([&](CExamineFileDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Examine file....");
        dialog->reject();
    });
    Run("t8b-parts/image.hex", ":00000001FF\r\n", 3000); // past the view timer's eighth tick
    EXPECT_EQ(program->Frame()->windowTitle(), "T8 - HostLink V2.17");
    // A display name, once set, is appended by the X11 platform to every caption
    // ("Confirm — T8HostLink"); without one it follows the application's name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
    QCoreApplication::setApplicationName(name);
}

TEST_F(StartupBatchTest, ABatchNamedInCapitalsRunsOnceWithoutAQuestion) {
    modals.Then<CBatchDlg>([](CBatchDlg* batch) {
        EXPECT_EQ(batch->windowTitle(), "Execute batch file");
        ASSERT_TRUE(QTest::qWaitFor([&] { return batch->Executor().Finished(); }, kPatienceMs));
        batch->OkButton()->click();
    });
    Run("Run.T8B", "PRINT started\r\n", 1500); // the document's request is dropped
}

} // namespace
} // namespace t8::test
