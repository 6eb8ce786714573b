#include "examine/ui/CExamineFileDlg.h"
#include "examine/ui/CExaminePage.h"
#include "examine/ui/CSettingsSheet.h"
#include "examine/ui/MemoryMapStrip.h"
#include "link/TTYInfo.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>

namespace t8 {
namespace {

class ExamineDialogTest : public ::testing::Test {
protected:
    std::string Write(const char* name, const std::string& text) {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    QTemporaryDir dir;
};

// Two Intel HEX data records of 16 bytes, at 0x0000 and 0x0100.
const char* const kTwoRecords = ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                                ":10010000000102030405060708090A0B0C0D0E0F77\r\n"
                                ":00000001FF\r\n";

// The stages, their texts and the table's rows are the examination tool's (its own tests);
// here the dialog shows them in its fields, its list and its map, and its Close button asks
// the tool whether to stay.
TEST_F(ExamineDialogTest, ShowsTheToolsTextsInItsWidgets) {
    CExamineFileDlg dialog;
    TTYInfo record;
    record.fill.unused = 1;
    record.fill.pattern = 0xFF;
    dialog.SetFileName(Write("two.hex", kTwoRecords));
    dialog.SetSettings(record.fill);
    dialog.Start();
    for (int i = 0; i < 3; ++i) {
        dialog.TickOnce();
    }
    EXPECT_EQ(QStringList({dialog.FieldText("unusedSpaceText"), dialog.FieldText("fileLengthText"),
                           dialog.FieldText("statusText"), dialog.FieldText("binaryOffsetText"),
                           dialog.FieldText("binaryLengthText"), dialog.FieldText("checksumText")}),
              QStringList({"Unused Space filled with : FF", "103 bytes.",
                           "File recognized as Intel HEX file.", "$00000000", "$00000110 ",
                           "$0000F000"}));
    ASSERT_EQ(dialog.SegmentList()->topLevelItemCount(), 2);
    const QTreeWidgetItem* first = dialog.SegmentList()->topLevelItem(0);
    EXPECT_EQ(QStringList({first->text(0), first->text(1), first->text(2)}),
              QStringList({"$00000000-$0000010F", "272 bytes", "$000000F0"}));
    EXPECT_TRUE(first->isSelected());
    EXPECT_FALSE(dialog.SegmentList()->topLevelItem(1)->isSelected());
    ASSERT_EQ(dialog.MemoryMap()->Segments().size(), 1u);
    EXPECT_EQ(dialog.MemoryMap()->Segments()[0].end, 0x10Fu);
}

TEST_F(ExamineDialogTest, CloseBeforeTheRecognitionCancelsItAndStays) {
    CExamineFileDlg dialog;
    dialog.SetFileName(Write("two.hex", kTwoRecords));
    dialog.Start();
    dialog.show();
    dialog.TickOnce();
    QTest::mouseClick(dialog.findChild<QPushButton*>("closeButton"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.FieldText("statusText"), "Examination canceled");
    QTest::mouseClick(dialog.findChild<QPushButton*>("closeButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(SettingsSheetTest, ThePageScansThePatternAndOnlyItsTwoOptionsGoBack) {
    TTYInfo record;
    record.fill.unused = 1;
    record.fill.pattern = 0x05;
    CSettingsSheet sheet;
    sheet.LoadFromRecord(record.fill);
    CExaminePage& page = *sheet.Page();
    EXPECT_EQ(page.PatternField()->text(), "05");
    EXPECT_TRUE(page.PatternField()->isEnabled());
    const std::pair<const char*, std::uint32_t> typed[] = {
        {"1FF", 0x1F}, {"f", 0x0F}, {"zz", 0x0F}, {"", 0x0F}, {"  a7", 0xA7}};
    for (const auto& [text, expected] : typed) {
        page.PatternField()->clear();
        QTest::keyClicks(page.PatternField(), text);
        if (std::string(text).empty()) {
            QTest::keyClick(page.PatternField(), Qt::Key_Backspace);
        }
        EXPECT_EQ(page.FillPattern(), expected) << text;
    }
    page.CsumBox()->click();
    EXPECT_FALSE(page.PatternField()->isEnabled());
    sheet.StoreToRecord(record.fill);
    EXPECT_EQ(record.fill.unused, 0u);
    EXPECT_EQ(record.fill.pattern, 0xA7u) << "unchecking keeps the pattern";
}

} // namespace
} // namespace t8
