#include "tests/support/PtyPair.h"

#include "app/CMainFrame.h"
#include "app/CProgTermApp.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace t8::test {
namespace {

// Answers the start-up question with No (examine) and closes the examine dialog that follows,
// noting each caption and the main window's title while the dialog is open.
class Answerer {
public:
    explicit Answerer(const CProgTermApp& program_) : program(program_) {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] { Answer(); });
        timer.start();
    }
    QStringList captions;
    QString titleDuringRequest;

private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            captions << box->windowTitle();
            box->button(QMessageBox::No)->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            captions << dialog->windowTitle();
            titleDuringRequest = program.Frame()->windowTitle();
            dialog->reject();
        }
    }
    const CProgTermApp& program;
    QTimer timer;
};

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
        Answerer answers(program);
        CommandLine line;
        line.port = pty.SlavePath();
        line.file = file;
        line.showSplash = false;
        ASSERT_TRUE(program.InitInstance(line));
        EXPECT_EQ(program.Frame()->windowTitle(), "job.hex - HostLink V2.17");
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers.captions.size() == 2; }, 10000));
        EXPECT_EQ(answers.captions, (QStringList{"Confirm", "Examine file...."}));
        EXPECT_EQ(answers.titleDuringRequest, "T8 - HostLink V2.17");
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
