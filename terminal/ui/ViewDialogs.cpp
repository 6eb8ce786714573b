#include "terminal/ui/ViewDialogs.h"

#include "batch/ui/CBatchDlg.h"
#include "examine/ui/CExamineFileDlg.h"
#include "link/AppName.h"
#include "link/SerialLink.h"
#include "terminal/ui/PromptPane.h"
#include "transfer/FileDialogError.h"
#include "transfer/FileFilters.h"
#include "transfer/TransferFiles.h"
#include "transfer/ui/CDownloadProgressDlg.h"
#include "transfer/ui/CUploadProgressDlg.h"

#include <QApplication>
#include <QFileDialog>
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

ViewDialogs::ViewDialogs(QWidget& view_, PromptPane& prompt_, const SerialLink& link_)
    : view(view_), prompt(prompt_), link(link_) {}

std::optional<std::string> ViewDialogs::ChooseOpenFile(const std::string& initialName,
                                                       const std::string& filter) {
    QString chosenFilter;
    const QString filters = DialogFilters(initialName, filter, chosenFilter);
    const QUrl url = QFileDialog::getOpenFileUrl(
        &view, "Open", QUrl::fromLocalFile(Text(StartFolder(initialName))), filters, &chosenFilter);
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
    const QString path = QFileDialog::getSaveFileName(
        &view, "Save As", Text(StartFolder(initialName)), filters, &chosenFilter);
    return path.isEmpty() ? std::nullopt : std::optional(path.toStdString());
}

void ViewDialogs::SetPromptText(const std::string& text) {
    prompt.SetText(text);
}

void ViewDialogs::ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon icon) {
    const QString title = Text(caption.empty() ? std::string(kAppName) : caption);
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
    CExamineFileDlg dialog(&view);
    dialog.SetFileName(path);
    if (const TTYInfo* settings = withRecord ? link.Record() : nullptr) {
        dialog.SetSettings(settings->fill);
    }
    dialog.exec();
}

// Opened from the event loop, not inside the caller: a batch started by the view's timer (the
// start-up batch, a document's request) needs that timer to go on ticking, and Qt does not fire
// a timer again while its own handler still runs.
void ViewDialogs::RunBatch(const std::string& path, BatchTerminal& terminal) {
    QTimer::singleShot(0, &view, [this, path, &terminal] { RunBatchWhenFree(path, terminal); });
}

// A window the operator is answering (a file dialog of F9 or F12, a question) keeps the batch
// waiting: its keys, Return above all, are meant for that window, not for the batch.
void ViewDialogs::RunBatchWhenFree(const std::string& path, BatchTerminal& terminal) {
    if (view.findChild<CBatchDlg*>(QString(), Qt::FindDirectChildrenOnly) != nullptr) {
        ShowMessage("A batch file is running already; " + path + " was not started.", kAppName,
                    MessageIcon::Information);
        return;
    }
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(kModalRecheckMs, &view,
                           [this, path, &terminal] { RunBatchWhenFree(path, terminal); });
        return;
    }
    CBatchDlg dialog(path, terminal, &view);
    dialog.exec();
}

} // namespace t8
