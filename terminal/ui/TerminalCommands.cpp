#include "terminal/ui/TerminalCommands.h"

#include "commands/CommandIds.h"
#include "commands/CommandTable.h"
#include "examine/ExamineDirectory.h"
#include "examine/ui/CSettingsSheet.h"
#include "link/AppName.h"
#include "settings/ColorRef.h"
#include "settings/FontMapping.h"
#include "settings/SettingsStore.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CDirectoriesPage.h"
#include "settings/ui/CDirectoriesSetup.h"
#include "settings/ui/CTerminalSetup.h"
#include "terminal/ui/CProgTermView.h"
#include "terminal/ui/ViewDocument.h"
#include "transfer/FileFilters.h"
#include "transfer/TransferController.h"
#include "transfer/TransferTimer.h"
#include "transfer/WindowHandOffs.h"
#include "transfer/save/SaveFile.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace t8 {

TerminalCommands::TerminalCommands(const Parts& parts)
    : view(parts.view), link(parts.link), doc(parts.doc), store(parts.store), dirs(parts.dirs),
      transfer(parts.transfer), handOffs(parts.handOffs), timer(parts.timer) {}
TerminalCommands::~TerminalCommands() = default;

void TerminalCommands::Run(int id) {
    switch (id) {
    case cmd::kCaptureStart:
        StartCapture();
        return;
    case cmd::kCaptureStop:
        StopCapture();
        return;
    case cmd::kClearScreen:
        view.ClearScreen();
        return;
    case cmd::kViewTimestamps:
        view.ShowTimestamps(!view.TimestampsShown());
        return;
    case cmd::kChangeFont:
        ChangeFont();
        return;
    case cmd::kBackgroundColour:
        ChangeBackground();
        return;
    case cmd::kSavePreferences:
        SavePreferences();
        return;
    case cmd::kPrint:
        Print();
        return;
    case cmd::kPrintSetup:
        PrintSetup();
        return;
    case cmd::kExamineFile:
        OnExamineFile();
        return;
    case cmd::kSettings:
        EditSettings();
        return;
    case cmd::kSendFile:
        transfer.SendFileCommand();
        return;
    case cmd::kReceiveFile:
        transfer.ReceiveFileCommand();
        return;
    case cmd::kDownloadEeprom:
        transfer.DownloadEepromCommand();
        return;
    case cmd::kUploadEeprom:
        transfer.UploadEepromCommand();
        return;
    case cmd::kReceiveLibrary:
        transfer.ReceiveLibraryCommand();
        return;
    case cmd::kPortParameters:
        PortParameters();
        return;
    case cmd::kDirectories:
        EditDirectories();
        return;
    case cmd::kExecuteBatch:
        transfer.ExecuteBatchCommand();
        return;
    default:
        break;
    }
    if (FindDeviceCommand(id) != nullptr) {
        SendDeviceCommand(id);
    } else {
        NotYet(id);
    }
}

void TerminalCommands::SendDeviceCommand(int id) {
    const DeviceCommand* command = FindDeviceCommand(id);
    if (link.Record() == nullptr) {
        return;
    }
    link.SendBytes(command->sent); // the device shows what it makes of it
}

void TerminalCommands::StartCapture() {
    TTYInfo* tty = link.Record();
    if (!tty) {
        return;
    }
    tty->transfer.captureOn = 1;
    doc.ResetCapture();
    view.CaptureStarted();
}

void TerminalCommands::StopCapture() {
    TTYInfo* tty = link.Record();
    bool withTimes = tty != nullptr && tty->look.captureTimestamps != 0;
    const QString path = ChooseCaptureFile(withTimes);
    if (tty) {
        tty->transfer.captureOn = 0;
    }
    if (path.isEmpty()) {
        return; // the bytes stay until the next capture starts
    }
    if (tty) {
        tty->look.captureTimestamps = withTimes ? 1 : 0;
    }
    const SaveResult saved =
        withTimes ? SaveFile(path.toStdString(), view.CaptureTimes().Stamped(doc.Captured()))
                  : doc.Serialize(path.toStdString());
    if (!saved.saved) {
        // Unlike a save that empties the store anyway, the data stay for another try.
        QMessageBox::warning(&view, kAppName,
                             QString::fromStdString(saved.message) +
                                 "\n\nThe captured data are kept; choose Stop capture again to "
                                 "save them elsewhere.");
        return;
    }
    if (!saved.message.empty()) {
        QMessageBox::information(&view, kAppName, QString::fromStdString(saved.message));
    }
    doc.ResetCapture();
    captureDirectory = QFileInfo(path).absolutePath();
}

// The save dialog with the choice of writing each line's time in front of it; empty when
// cancelled.
QString TerminalCommands::ChooseCaptureFile(bool& withTimes) {
    const QString start = captureDirectory.isEmpty() ? QString() : captureDirectory + "/";
    QFileDialog dialog(&view, "Save captured data", start, kCaptureFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // the only way to offer the choice
    auto* times = new QCheckBox(kCaptureTimesText, &dialog);
    times->setObjectName("captureTimestamps");
    times->setChecked(withTimes);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        grid->addWidget(times, grid->rowCount(), 0, 1, -1);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    withTimes = times->isChecked();
    return dialog.selectedFiles().constFirst();
}

void TerminalCommands::ChangeFont() {
    TTYInfo* tty = link.Record();
    if (!tty) {
        return;
    }
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, WithFaceStyleName(view.TerminalFont()), &view,
                                            "Change font", QFontDialog::MonospacedFonts);
    if (chosen) {
        tty->look.logFont = LogFontFromFont(font, tty->look.logFont);
        const QColor colour =
            QColorDialog::getColor(ColorFromColorRef(tty->look.textColour), &view, "Text colour");
        if (colour.isValid()) {
            tty->look.textColour = ColorRefFromColor(colour);
        }
        view.BuildFont();
    }
    view.ClearScreen(); // also after a cancel: the cell size may have changed
}

void TerminalCommands::ChangeBackground() {
    TTYInfo* tty = link.Record();
    if (!tty) {
        return;
    }
    const QColor colour =
        QColorDialog::getColor(ColorFromColorRef(tty->look.backColour), &view, "Background color");
    if (colour.isValid()) {
        tty->look.backColour = ColorRefFromColor(colour);
        view.viewport()->update();
    }
}

void TerminalCommands::SavePreferences() {
    const TTYInfo* tty = link.Record();
    if (!tty) {
        return;
    }
    const StoreStatus status = store.SaveSettings(*tty, dirs);
    if (!status.ok) {
        QMessageBox::warning(&view, kAppName, QString::fromStdString(status.message));
    }
}

QPrinter& TerminalCommands::Printer() {
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer;
}

// One page, as the window shows it: the visible rows and columns at their window positions,
// scaled to the page width.
void TerminalCommands::Print() {
    QPrintDialog dialog(&Printer(), &view);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QPainter painter(&Printer());
    if (!painter.isActive()) {
        QMessageBox::warning(&view, kAppName, "The printer could not be started.");
        return;
    }
    const QRect window = view.viewport()->rect();
    const QRect page = painter.viewport();
    const double scale = std::min(double(page.width()) / std::max(1, window.width()),
                                  double(page.height()) / std::max(1, window.height()));
    painter.scale(scale, scale);
    view.PaintScreen(painter, window);
}

void TerminalCommands::PrintSetup() {
    QPageSetupDialog dialog(&Printer(), &view);
    dialog.exec();
}

void TerminalCommands::OnExamineFile() {
    const QString path = QFileDialog::getOpenFileName(
        &view, "Examine file", QString::fromStdString(examineDirectory),
        QString::fromStdString(DialogFilter(kDataFileFilter)));
    if (path.isEmpty()) {
        return;
    }
    handOffs.OpenExamine(path.toStdString(), true);
    examineDirectory = ExamineDirectoryOf(path.toStdString());
}

void TerminalCommands::EditSettings() {
    TTYInfo* tty = link.Record();
    if (!tty) {
        return;
    }
    CSettingsSheet sheet(&view);
    sheet.LoadFromRecord(tty->fill);
    if (sheet.exec() == QDialog::Accepted) {
        sheet.StoreToRecord(tty->fill);
    }
}

// The port is closed while the sheet is open, so the scan finds it, and opened again with
// whatever settings stand when it closes.
void TerminalCommands::PortParameters() {
    TTYInfo* tty = link.Record();
    if (!tty) {
        return;
    }
    CTerminalSetup sheet(CTerminalSetup::kCaption, &view, 0);
    sheet.LoadFromRecord(tty->com, link.PortOverride());
    sheet.ComPage()->SetReconnectOffForRun(!link.ReconnectAllowed());
    link.ClosePort();
    timer.Wait(kPortCloseWaitMs);
    if (sheet.exec() == QDialog::Accepted) {
        sheet.StoreToRecord(tty->com);
        if (!sheet.KeepsRunOverride()) {
            link.SetPortOverride({}); // another port was chosen for good
        }
    }
    // a device still away after a hang-up is awaited again: the status bar says so
    view.OpenLink([this] {
        if (!link.AwaitingDevice()) {
            QMessageBox::warning(&view, kAppName,
                                 QString::fromStdString(link.OpenFailureMessage()));
        }
    });
    view.PlaceCaret();
}

void TerminalCommands::EditDirectories() {
    CDirectoriesSetup sheet(CDirectoriesSetup::kCaption, &view, 0);
    sheet.Page()->SetDirectories(dirs);
    if (sheet.exec() == QDialog::Accepted) {
        dirs = sheet.Page()->Directories();
        transfer.ForgetDialogLocations();
    }
}

void TerminalCommands::NotYet(int id) {
    QString name;
    for (const auto& entry : MenuBar()) {
        if (entry.kind == MenuEntry::Kind::Item && entry.id == id) {
            name = QString::fromStdString(PlainMenuText(entry.text));
            break;
        }
    }
    QMessageBox::information(&view, kAppName,
                             QString("\"%1\" is not available in this version yet.").arg(name));
}

} // namespace t8
