#include "transfer/ui/CUploadProgressDlg.h"

#include "transfer/UploadProgress.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace t8 {

CUploadProgressDlg::CUploadProgressDlg(UploadProgress& progress_, QWidget* parent)
    : QDialog(parent), progress(progress_) {
    setObjectName("CUploadProgressDlg");
    setWindowTitle("Upload progress.....");
    auto* form = new QFormLayout;
    const std::pair<const char*, const char*> fields[] = {
        {"Bytes received :", "bytesText"},
        {"Format detected :", "formatText"},
        {"Status :", "statusText"},
    };
    for (const auto& [label, name] : fields) {
        auto* field = new QLabel(this);
        field->setObjectName(name);
        field->setFrameShape(QFrame::Panel);
        field->setFrameShadow(QFrame::Sunken);
        field->setMinimumWidth(220);
        form->addRow(label, field);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CUploadProgressDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    timer.setInterval(UploadProgress::kTickMs);
    connect(&timer, &QTimer::timeout, this, &CUploadProgressDlg::OnTick);
}

int CUploadProgressDlg::exec() {
    Refresh();
    timer.start();
    QDialog::exec();
    timer.stop();
    const int result = progress.Result();
    return result == UploadProgress::kRunning ? UploadProgress::kCancelled : result;
}

void CUploadProgressDlg::OnTick() {
    progress.Tick();
    Refresh();
    if (progress.Result() != 0) {
        timer.stop();
        done(progress.Result());
    }
}

void CUploadProgressDlg::reject() {
    progress.Cancel();
    timer.stop();
    done(UploadProgress::kCancelled);
}

void CUploadProgressDlg::Refresh() {
    findChild<QLabel*>("bytesText")->setText(QString::fromStdString(progress.BytesText()));
    findChild<QLabel*>("formatText")->setText(QString::fromStdString(progress.FormatText()));
    findChild<QLabel*>("statusText")->setText(QString::fromStdString(progress.StatusText()));
}

QString CUploadProgressDlg::FieldText(const char* name) const {
    const auto* field = findChild<QLabel*>(name);
    return field ? field->text() : QString();
}

} // namespace t8
