#include "tests/support/PtyPair.h"
#include "tests/ui/Operators.h"

#include "app/CMainFrame.h"
#include "app/CProgTermApp.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace t8::test {
namespace {

// Starts the program with one file named, answers the download-or-examine question with No,
// closes the examine dialog, and lets every batch run to its end before clicking OK. Notes the
// caption of each window it meets, once.
class StartupBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        ASSERT_TRUE(pty.Ok());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", oldConfig); }

    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void Start(CProgTermApp& program, const std::string& file) {
        CommandLine line;
        line.port = pty.SlavePath();
        line.file = file;
        line.showSplash = false;
        ASSERT_TRUE(program.InitInstance(line));
    }
    [[nodiscard]] int Seen(const QString& caption) const {
        return static_cast<int>(answers.captions.count(caption));
    }

    QTemporaryDir dir;
    PtyPair pty;
    StartupOperator answers;

private:
    QByteArray oldConfig;
};

TEST_F(StartupBatchTest, AFolderNamedLikeABatchDoesNotMakeABatch) {
    const std::string file = Write("t8b-parts/image.hex", ":00000001FF\r\n");
    CProgTermApp program;
    Start(program, file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Seen("Examine file....") == 1; }, 10000));
    QTest::qWait(3000); // past the eighth tick of the view's timer
    EXPECT_EQ(answers.captions, (QStringList{"Confirm", "Examine file...."}));
}

TEST_F(StartupBatchTest, ABatchNamedInCapitalsRunsOnceWithoutAQuestion) {
    const std::string file = Write("Run.T8B", "PRINT started\r\n");
    CProgTermApp program;
    Start(program, file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Seen("Execute batch file") == 1; }, 10000));
    QTest::qWait(1500);
    EXPECT_EQ(answers.captions, QStringList{"Execute batch file"})
        << "the document's request is dropped";
}

} // namespace
} // namespace t8::test
