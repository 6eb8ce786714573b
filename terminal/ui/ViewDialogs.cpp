#include "terminal/ui/ViewDialogs.h"

#include "batch/ui/CBatchDlg.h"
#include "terminal/ui/CProgTermView.h"
#include "terminal/ui/TerminalCommands.h"
#include "transfer/FileDialogError.h"
#include "transfer/FileFilters.h"
#include "transfer/ui/CDownloadProgressDlg.h"
#include "transfer/ui/CUploadProgressDlg.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <climits>

namespace t8 {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The dialog's filters; a pattern in the initial name ("/data/*.hex") comes first and chosen.
QString DialogFilters(const std::string& initialName, const std::string& filter, QString& chosen) {
    QString filters = Text(DialogFilter(filter));
    const QString name = Text(initialName);
    const QString pattern = name.mid(name.lastIndexOf('/') + 1);
    if (pattern.contains('*') && pattern != "*.*" && pattern != "*") {
        chosen = pattern + " (" + Text(DialogPatterns(pattern.toStdString())) + ")";
        filters = chosen + ";;" + filters;
    }
    return filters;
}

// The folder part of a dialog's initial name ("/data/*.hex" or "/data").
QString StartFolder(const std::string& initialName) {
    const QString name = Text(initialName);
    return name.contains('*') ? name.left(std::max<qsizetype>(0, name.lastIndexOf('/'))) : name;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

ViewDialogs::ViewDialogs(CProgTermView& view_) : view(view_) {}

std::optional<std::string> ViewDialogs::ChooseOpenFile(const std::string& initialName,
                                                       const std::string& filter) {
    QString chosenFilter;
    const QString filters = DialogFilters(initialName, filter, chosenFilter);
    const QUrl url = QFileDialog::getOpenFileUrl(
        &view, "Open", QUrl::fromLocalFile(StartFolder(initialName)), filters, &chosenFilter);
    // a desktop's own dialog may offer files that are not local; those cannot be read here
    lastDialogError =
        url.isEmpty() || url.isLocalFile() ? kDialogErrorNone : kDialogErrorInvalidFileName;
    const QString path = url.toLocalFile();
    if (path.toLocal8Bit().size() >= PATH_MAX) {
        lastDialogError = kDialogErrorBufferTooSmall;
        return std::nullopt;
    }
    return path.isEmpty() ? std::nullopt : std::optional(path.toStdString());
}

std::optional<std::string> ViewDialogs::ChooseSaveFile(const std::string& initialName,
                                                       const std::string& filter) {
    QString chosenFilter;
    const QString filters = DialogFilters(initialName, filter, chosenFilter);
    const QString path = QFileDialog::getSaveFileName(&view, "Save As", StartFolder(initialName),
                                                      filters, &chosenFilter);
    return path.isEmpty() ? std::nullopt : std::optional(path.toStdString());
}

void ViewDialogs::SetPromptText(const std::string& text) {
    view.Prompt().SetText(text);
}

void ViewDialogs::ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon icon) {
    const QString title =
        caption.empty() ? QGuiApplication::applicationDisplayName() : Text(caption);
    QMessageBox box(BoxIcon(icon), title, Text(text), QMessageBox::Ok, &view);
    box.exec();
}

bool ViewDialogs::AskOkCancel(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Question, Text(caption), Text(text),
                    QMessageBox::Ok | QMessageBox::Cancel, &view);
    return box.exec() == QMessageBox::Ok;
}

int ViewDialogs::RunDownloadDialog(DownloadStream& stream) {
    CDownloadProgressDlg dialog(stream, &view);
    return dialog.exec();
}

int ViewDialogs::RunUploadDialog(UploadProgress& progress) {
    CUploadProgressDlg dialog(progress, &view);
    return dialog.exec();
}

void ViewDialogs::OpenExamine(const std::string& path, bool withRecord) {
    view.Commands().ExaminePath(path, withRecord ? view.Link().Record() : nullptr);
}

// Opened from the event loop, not inside the caller: a batch started by the view's timer (the
// start-up batch, a document's request) needs that timer to go on ticking, and Qt does not fire
// a timer again while its own handler still runs.
void ViewDialogs::RunBatch(const std::string& path) {
    QTimer::singleShot(0, &view, [this, path] {
        if (view.findChild<CBatchDlg*>(QString(), Qt::FindDirectChildrenOnly) != nullptr) {
            ShowMessage("A batch file is running already; " + path + " was not started.",
                        SerialLink::kAppCaption, MessageIcon::Information);
            return;
        }
        CBatchDlg dialog(path, view.Transfer(), &view);
        dialog.exec();
    });
}

void ViewDialogs::StartViewTimer() {
    view.StartViewTimer();
}

void ViewDialogs::StopViewTimer() {
    view.StopViewTimer();
}

// The pause keeps the window painted and the link served, but holds the operator's input back.
void ViewDialogs::Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace t8
