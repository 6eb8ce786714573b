#include "tests/ui/ModalDriver.h"

#include "link/TTYInfo.h"
#include "settings/TypedPort.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CDirectoriesPage.h"
#include "settings/ui/CDirectoriesSetup.h"
#include "settings/ui/CLPTPortPage.h"
#include "settings/ui/CTerminalSetup.h"
#include "settings/ui/CUSBPortPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>

namespace t8::test {
namespace {

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

// The sheet on a record, scanning a system where only `openable` devices open.
class PortSheetTest : public ::testing::Test {
protected:
    void Open(std::set<std::string> openable = {"/dev/ttyUSB0", "/dev/ttyUSB2"},
              const std::string& runOverride = {}) {
        sheet = std::make_unique<CTerminalSetup>(CTerminalSetup::kCaption);
        sheet->ComPage()->SetScanner([openable] {
            PortScanner scanner;
            scanner.opens = [openable](const std::string& p) { return openable.count(p) != 0; };
            scanner.exists = scanner.opens;
            scanner.deviceProblem = DeviceFileProblem;
            return scanner;
        });
        sheet->LoadFromRecord(tty.com, runOverride);
        sheet->show();
        page = sheet->ComPage();
    }
    void Ok() {
        sheet->accept();
        sheet->StoreToRecord(tty.com);
    }
    [[nodiscard]] std::vector<bool> Enabled() const {
        return {page->PortBox()->isEnabled(),     page->BaudBox()->isEnabled(),
                page->DataBitsBox()->isEnabled(), page->ParityBox()->isEnabled(),
                page->StopBitsBox()->isEnabled(), page->DtrDsrBox()->isEnabled(),
                page->RtsCtsBox()->isEnabled(),   page->XonXoffBox()->isEnabled()};
    }

    TTYInfo tty;
    std::unique_ptr<CTerminalSetup> sheet;
    CCOMPortPage* page = nullptr;
};

// The lists' texts, their codes, the port list and the flow bits are the settings' own rules
// (PortPageLogicTest); here the sheet shows them in its boxes and takes the boxes on Ok only.
TEST_F(PortSheetTest, OneTabOfThreePagesIsShown) {
    Open();
    EXPECT_EQ(sheet->windowTitle(), "Terminal Setup");
    ASSERT_EQ(sheet->Tabs()->count(), 1);
    EXPECT_EQ(sheet->Tabs()->tabText(0), "COM Port");
    EXPECT_FALSE(sheet->LptPage()->isVisible());
    EXPECT_FALSE(sheet->UsbPage()->isVisible());
    EXPECT_EQ(sheet->UsbPage()->DeviceList()->count(), 0);
    EXPECT_EQ(Items(page->ParityBox()), (QStringList{"NONE", "EVEN", "ODD", "SPACE", "MARK"}));
    EXPECT_EQ(Items(page->PortBox()), (QStringList{"1 - /dev/ttyUSB0", "3 - /dev/ttyUSB2"}));
}

TEST_F(PortSheetTest, TheRecordIsShownAndTheBoxesAreTakenOnOkOnly) {
    tty.com.baudRate = 19200;
    tty.com.byteSize = 7;
    tty.com.parity = kParityMark;
    tty.com.stopBits = kStopOneAndHalf;
    tty.com.flowCtrl = kFlowXonXoff | kFlowRtsCts;
    tty.com.comPort = 3;
    tty.com.comReconnect = 0;
    Open();
    EXPECT_EQ(QStringList({page->BaudBox()->currentText(), page->DataBitsBox()->currentText(),
                           page->ParityBox()->currentText(), page->StopBitsBox()->currentText(),
                           page->PortBox()->currentText()}),
              QStringList({"19200", "7 bits", "MARK", "1 1/2 bit", "3 - /dev/ttyUSB2"}));
    EXPECT_TRUE(page->XonXoffBox()->isChecked());
    EXPECT_FALSE(page->ReconnectBox()->isChecked());
    page->BaudBox()->setEditText("57600");
    page->ReconnectBox()->click();
    sheet->reject(); // Cancel: the page keeps what the record held
    sheet->StoreToRecord(tty.com);
    EXPECT_EQ(std::pair(tty.com.baudRate, tty.com.comReconnect), std::pair(19200U, 0U));

    Open();
    page->DataBitsBox()->setCurrentIndex(1);
    page->ParityBox()->setCurrentIndex(2);
    page->BaudBox()->setEditText("57600");
    page->PortBox()->setEditText("/dev/null");
    page->ReconnectBox()->click();
    Ok();
    EXPECT_EQ(std::tuple(tty.com.baudRate, tty.com.byteSize, tty.com.parity, tty.com.stopBits,
                         tty.com.comReconnect),
              std::tuple(57600U, 5, kParityOdd, kStopOneAndHalf, 1U));
    EXPECT_EQ(tty.com.flowCtrl, kFlowXonXoff | kFlowRtsCts) << "XON/XOFF set in this run is kept";
    EXPECT_EQ(tty.com.devicePath, "/dev/null");
}

TEST_F(PortSheetTest, XonXoffWaitsForAClickOnComActive) {
    tty.com.flowCtrl = kFlowXonXoff;
    Open();
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true, true, true, true, true, false}));
    page->ActiveBox()->click();
    EXPECT_EQ(Enabled(), std::vector<bool>(8, false));
    page->ActiveBox()->click();
    EXPECT_EQ(Enabled(), std::vector<bool>(8, true));
    page->XonXoffBox()->click();
    Ok();
    EXPECT_EQ(tty.com.flowCtrl, 0);
    EXPECT_EQ(tty.com.comActive, 1U);

    tty.com.comActive = 0;
    Open();
    EXPECT_EQ(Enabled(), std::vector<bool>(8, false));
    EXPECT_FALSE(page->ReconnectBox()->isEnabled()) << "part of the page COM Active greys out";
}

TEST_F(PortSheetTest, ThisRunsDeviceIsShownAndKeptUnlessAnotherIsChosen) {
    tty.com.comPort = 3;
    Open({"/dev/ttyUSB2"}, "/dev/pts/9");
    EXPECT_EQ(page->PortBox()->currentText(), "/dev/pts/9 - this run only (--port)");
    EXPECT_TRUE(page->RunOnlyNote()->isVisible());
    EXPECT_TRUE(page->RunOnlyNote()->text().contains("/dev/pts/9"));
    Ok();
    EXPECT_TRUE(sheet->KeepsRunOverride());
    EXPECT_EQ(tty.com.comPort, 3);
    EXPECT_TRUE(tty.com.devicePath.empty());

    Open({"/dev/ttyUSB0"}, "/dev/pts/9");
    page->PortBox()->setCurrentIndex(0);
    Ok();
    EXPECT_FALSE(sheet->KeepsRunOverride());
    EXPECT_EQ(tty.com.comPort, 1);
}

// What the page cannot use is said on OK, the sheet stays open and the copy as it was; what
// it can use is then taken.
TEST_F(PortSheetTest, AnEntryOrFrameThePageCannotUseIsRefusedAndTheSheetStaysOpen) {
    tty.com.comPort = 3;
    Open();
    ModalDriver modals;
    modals.Messages(3);
    page->PortBox()->setEditText("ttyT8none");
    sheet->accept();
    page->PortBox()->setEditText("tcp://rack:99999");
    sheet->accept();
    page->PortBox()->setEditText("null"); // /dev/null: a character device, so the page takes it
    page->DataBitsBox()->setCurrentText("7 bits");
    page->StopBitsBox()->setCurrentText("1 1/2 bit");
    sheet->accept();
    EXPECT_EQ(modals.texts,
              QStringList({"There is no /dev/ttyT8none. Name a device in /dev (such as ttyUSB0), "
                           "its full path, or a network address (rfc2217://HOST:PORT).",
                           "tcp://rack:99999: the port must be a number from 1 to 65535.",
                           "Stop Bits: 1 1/2 stop bits go only with 5 data bits, not with 7; "
                           "choose 1 or 2 stop bits."}));
    EXPECT_TRUE(modals.Done());
    EXPECT_TRUE(sheet->isVisible());
    sheet->StoreToRecord(tty.com);
    EXPECT_EQ(std::tuple(tty.com.comPort, tty.com.devicePath, tty.com.byteSize),
              std::tuple(std::uint8_t{3}, std::string(), std::uint8_t{8}))
        << "nothing of a refused OK is taken";

    page->StopBitsBox()->setCurrentText("2 bits");
    sheet->accept();
    EXPECT_FALSE(sheet->isVisible());
    sheet->StoreToRecord(tty.com);
    EXPECT_EQ(std::tuple(tty.com.devicePath, tty.com.byteSize, tty.com.stopBits),
              std::tuple(std::string("/dev/null"), std::uint8_t{7}, kStopTwo));
}

TEST_F(PortSheetTest, RawTcpLeavesTheLineToTheServerAndCheckPortSaysWhatItFinds) {
    Open();
    EXPECT_FALSE(page->ServerLineNote()->isVisibleTo(page));
    page->PortBox()->setEditText("tcp://rack:7000");
    EXPECT_TRUE(page->ServerLineNote()->isVisibleTo(page));
    page->PortBox()->setEditText("rfc2217://rack:7000"); // carries the settings
    EXPECT_FALSE(page->ServerLineNote()->isVisibleTo(page));

    // a system of the test's own: a device held by a terminal program
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const std::string dev = root.filePath("dev").toStdString();
    const std::string proc = root.filePath("proc").toStdString();
    std::filesystem::create_directories(dev);
    std::filesystem::create_directories(proc + "/77/fd");
    std::filesystem::create_symlink("/dev/null", dev + "/ttyUSB0");
    std::filesystem::create_symlink("/dev/null", proc + "/77/fd/4");
    std::ofstream(proc + "/77/comm") << "minicom\n";
    page->SetSystemRoots(
        {dev, root.filePath("sys").toStdString(), proc, root.filePath("udev").toStdString()});
    ModalDriver modals;
    modals.Messages(4);
    page->CheckPortButton()->click();
    page->PortBox()->setEditText(QString::fromStdString(dev + "/ttyUSB0"));
    page->CheckPortButton()->click();
    std::filesystem::remove(proc + "/77/fd/4");
    page->CheckPortButton()->click();
    page->PortBox()->setEditText("tcp://rack");
    page->CheckPortButton()->click();
    EXPECT_EQ(modals.texts,
              QStringList({"rfc2217://rack:7000 is a network address: the server is reached "
                           "when the port opens, and what goes wrong then is said.",
                           QString::fromStdString("Checked " + dev +
                                                  "/ttyUSB0:\n\n/dev/null is open in the "
                                                  "program \"minicom\" (process 77). Close it "
                                                  "there, or end it: kill 77"),
                           QString::fromStdString("No problems found with " + dev + "/ttyUSB0."),
                           "tcp://rack names no port; write tcp://HOST:PORT with the port the "
                           "server listens on."}));
}

class DirectoriesPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        for (const char* name : {"down", "up", "lib", "batch", "other"}) {
            ASSERT_TRUE(QDir(root.path()).mkpath(name));
        }
        dirs = DirectorySettings::ForStartDirectory(Path("down"));
        dirs.uploadDirectory = Path("up");
        dirs.libraryDirectory = Path("lib");
        dirs.batchDirectory = Path("batch");
        dirs.libraryFilterName = "Libraries (*.hex)";
        sheet = std::make_unique<CDirectoriesSetup>(CDirectoriesSetup::kCaption);
        page = sheet->Page();
        page->SetDirectories(dirs);
        sheet->show();
    }
    [[nodiscard]] std::string Path(const char* name) const {
        return root.filePath(name).toStdString();
    }
    QLineEdit* Field(std::string DirectorySettings::*member) const { return page->Field(member); }

    QTemporaryDir root;
    DirectorySettings dirs;
    std::unique_ptr<CDirectoriesSetup> sheet;
    CDirectoriesPage* page = nullptr;
    ModalDriver modals;
};

TEST_F(DirectoriesPageTest, TenFieldsThreeOfThemHiddenAndOkTakesTheEdits) {
    EXPECT_EQ(sheet->windowTitle(), "Directories and Filters");
    EXPECT_EQ(Field(&DirectorySettings::uploadDirectory)->text().toStdString(), Path("up"));
    EXPECT_EQ(Field(&DirectorySettings::libraryFilterName)->text(), "Libraries (*.hex)");
    EXPECT_FALSE(Field(&DirectorySettings::libraryFilterName)->isVisible());
    EXPECT_FALSE(Field(&DirectorySettings::downloadFilterName)->isVisible());
    EXPECT_TRUE(Field(&DirectorySettings::batchDirectory)->isVisible());
    EXPECT_EQ(page->BrowseButton(&DirectorySettings::uploadFilter), nullptr);
    // an empty filter and a folder that does not exist are stored as typed
    Field(&DirectorySettings::downloadFilter)->setText("");
    Field(&DirectorySettings::batchDirectory)->setText("/no/such/folder");
    auto* buttons = sheet->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Ok)->click(); // runs the sheet's own accept
    EXPECT_EQ(page->Directories().downloadFilter, "");
    EXPECT_EQ(page->Directories().batchDirectory, "/no/such/folder");
    EXPECT_EQ(page->Directories().libraryFilterName, "Libraries (*.hex)");
}

TEST_F(DirectoriesPageTest, BrowseStartsAtTheFieldAndShowsAllFieldsAgain) {
    modals.Then<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    Field(&DirectorySettings::batchDirectory)->setText("/typed");
    QTest::mouseClick(page->BrowseButton(&DirectorySettings::batchDirectory), Qt::LeftButton);
    EXPECT_EQ(Field(&DirectorySettings::batchDirectory)->text(), "/typed") << "Cancel keeps it";

    QString started;
    modals.Then<QFileDialog>([&](QFileDialog* dialog) {
        started = dialog->directory().absolutePath();
        dialog->setDirectory(root.filePath("other"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it, not its override
    });
    Field(&DirectorySettings::uploadFilter)->setText("*.s19"); // typed, not yet taken
    QTest::mouseClick(page->BrowseButton(&DirectorySettings::libraryDirectory), Qt::LeftButton);
    EXPECT_TRUE(modals.Done());
    EXPECT_EQ(started.toStdString(), Path("lib"));
    EXPECT_EQ(page->Directories().libraryDirectory, Path("other"));
    EXPECT_EQ(Field(&DirectorySettings::libraryDirectory)->text().toStdString(), Path("other"));
    EXPECT_EQ(Field(&DirectorySettings::uploadFilter)->text(), "*.hex")
        << "the fields are shown again from what the page held";
}

} // namespace
} // namespace t8::test
