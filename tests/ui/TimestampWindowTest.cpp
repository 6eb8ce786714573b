#include "tests/ui/WindowFixture.h"

#include "commands/CommandIds.h"
#include "terminal/ui/TerminalCommands.h"
#include "terminal/ui/TimestampMargin.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTime>

#include <gtest/gtest.h>

#include <string>

namespace t8::test {
namespace {

constexpr char kStamp[] = "\\d\\d:\\d\\d:[0-5]\\d\\.\\d\\d\\d";

// The time a margin shows, as milliseconds of the day.
int Milliseconds(const QString& shown) {
    return QTime::fromString(shown, "hh:mm:ss.zzz").msecsSinceStartOfDay();
}

// View > Timestamps beside the lines from the device, and the same times in a saved capture.
class TimestampWindowTest : public WindowFixture {
protected:
    // Stops the capture into `name`, the times written or not as `withTimes` says; the text.
    std::string SaveCapture(const char* name, bool withTimes) {
        const QString path = dir.filePath(name);
        bool offered = false;
        modals.Then<QFileDialog>([&](QFileDialog* dialog) {
            auto* box = dialog->findChild<QCheckBox*>("captureTimestamps");
            offered = box != nullptr && box->text() == TerminalCommands::kCaptureTimesText;
            if (box != nullptr) {
                box->setChecked(withTimes);
            }
            ChooseFile(dialog, path);
        });
        frame->Action(cmd::kCaptureStop)->trigger();
        EXPECT_TRUE(modals.Done());
        EXPECT_TRUE(offered);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<none>";
    }
};

TEST_F(TimestampWindowTest, TheMarginTimesEachLineAndTheSettingIsKept) {
    QAction* item = frame->Action(cmd::kViewTimestamps);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isChecked()) << "off by default";
    EXPECT_FALSE(view->Margin().isVisible());
    const int widthBefore = view->viewport()->width();
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(view->Margin().isVisible());
    EXPECT_EQ(view->viewport()->width(), widthBefore - view->Margin().Width())
        << "the rows make room for the times";

    frame->Action(cmd::kCaptureStart)->trigger();
    const int before = TimestampMargin::Now();
    ASSERT_TRUE(pty.WriteAll("first\r\n\r\nthird"));
    ASSERT_TRUE(WaitFor([&] { return RowText(2, 5) == "third"; }));
    const int after = TimestampMargin::Now();
    const QRegularExpression stamp(QString("^") + kStamp + "$");
    for (const int row : {0, 2}) {
        const QString shown = view->Margin().TimeText(row);
        ASSERT_TRUE(stamp.match(shown).hasMatch()) << row << ": " << shown.toStdString();
        if (before <= after) { // not across midnight
            EXPECT_GE(Milliseconds(shown), before - 1) << row;
            EXPECT_LE(Milliseconds(shown), after) << row;
        }
    }
    EXPECT_EQ(view->Margin().TimeText(1), "") << "an empty line began nothing";
    EXPECT_EQ(pty.ReadFor(1, 100), "") << "the device hears nothing of the times";

    // a line wrapped inside a block shown in pieces: the wrap's line feed is captured where
    // the wrap happened, not where it happened within its piece
    const std::size_t columns = view->ScreenRow(0).size();
    const std::string wide(columns + 5, 'w');
    ASSERT_TRUE(pty.WriteAll("\r\n" + wide));
    ASSERT_TRUE(WaitFor([&] { return RowText(4, 5) == "wwwww"; }));
    const auto& captured = doc.Captured();
    EXPECT_EQ(std::string(captured.begin(), captured.end()),
              "first\r\n\r\nthird\r\n" + wide.substr(0, columns) + "\n" + wide.substr(columns));
    EXPECT_FALSE(view->Margin().TimeText(3).isEmpty());
    EXPECT_TRUE(view->Margin().TimeText(4).isEmpty()) << "a wrapped line's second row";

    frame->Action(cmd::kClearScreen)->trigger();
    EXPECT_EQ(view->Margin().TimeText(0), "");
    frame.reset(); // saves the settings
    EXPECT_EQ(Stored("TTY/Timestamps").toInt(), 1);
}

TEST_F(TimestampWindowTest, ACaptureIsSavedWithTheTimesOnlyWhenAskedFor) {
    const QString line = QString("^") + kStamp + " ";
    for (const bool withTimes : {false, true}) {
        frame->Action(cmd::kCaptureStart)->trigger();
        ASSERT_TRUE(pty.WriteAll("one\r\ntwo\r\n"));
        ASSERT_TRUE(WaitFor([&] { return RowText(1, 3) == "two"; }));
        const std::string saved = SaveCapture(withTimes ? "timed.cap" : "plain.cap", withTimes);
        if (withTimes) {
            const QRegularExpression timed(line + "one\\r\\n" + kStamp + " two\\r\\n$");
            EXPECT_TRUE(timed.match(QString::fromStdString(saved)).hasMatch()) << saved;
        } else {
            EXPECT_EQ(saved, "one\r\ntwo\r\n");
        }
        frame->Action(cmd::kClearScreen)->trigger();
    }
    frame->Action(cmd::kSavePreferences)->trigger();
    EXPECT_EQ(Stored("TTY/CaptureTimestamps").toInt(), 1) << "the last choice is kept";
}

} // namespace
} // namespace t8::test
