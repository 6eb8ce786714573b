#include "tests/support/PtyPair.h"
#include "tests/ui/Operators.h"

#include "app/CMainFrame.h"
#include "app/CProgTermApp.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace t8::test {
namespace {

TEST(AppTest, CaptionsAreTheTextsGivenAndTheTitleReturnsAfterTheRequest) {
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string file = dir.filePath("job.hex").toStdString();
    std::ofstream(file) << ":00000001FF\n";
    {
        CProgTermApp program;
        QString titleDuringRequest;
        StartupOperator answers; // No: examine the file
        answers.beforeClosing = [&](QDialog*) {
            titleDuringRequest = program.Frame()->windowTitle();
        };
        CommandLine line;
        line.port = pty.SlavePath();
        line.file = file;
        line.showSplash = false;
        ASSERT_TRUE(program.InitInstance(line));
        EXPECT_EQ(program.Frame()->windowTitle(), "job.hex - HostLink V2.17");
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers.captions.size() == 2; }, 10000));
        EXPECT_EQ(answers.captions, (QStringList{"Confirm", "Examine file...."}));
        EXPECT_EQ(titleDuringRequest, "T8 - HostLink V2.17");
        EXPECT_EQ(program.Frame()->windowTitle(), "T8 - HostLink V2.17");
    }
    // A display name, once set, is appended by the X11 platform to every caption
    // ("Confirm — T8HostLink"); without one it follows the application's name.
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
    QCoreApplication::setApplicationName({});
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

} // namespace
} // namespace t8::test
