#include "transfer/ui/CDownloadProgressDlg.h"

#include "transfer/DownloadStream.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace t8 {

CDownloadProgressDlg::CDownloadProgressDlg(DownloadStream& stream_, QWidget* parent)
    : QDialog(parent), stream(stream_) {
    setObjectName("CDownloadProgressDlg");
    setWindowTitle("Download progress.....");
    fileName = new QLabel(this);
    sent = new QLabel(this);
    rate = new QLabel(this);
    for (QLabel* field : {fileName, sent}) {
        field->setFrameShape(QFrame::Panel);
        field->setFrameShadow(QFrame::Sunken);
        field->setMinimumWidth(220);
    }
    bar = new QProgressBar(this);
    bar->setRange(0, 100);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDownloadProgressDlg::reject);
    auto* form = new QFormLayout;
    form->addRow("File name :", fileName);
    form->addRow("Bytes send :", sent);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(bar);
    layout->addWidget(rate);
    layout->addWidget(buttons);
    timer.setInterval(DownloadStream::kTickMs);
    connect(&timer, &QTimer::timeout, this, &CDownloadProgressDlg::OnTick);
}

int CDownloadProgressDlg::exec() {
    clock.start();
    Refresh();
    timer.start();
    QDialog::exec();
    timer.stop();
    const int result = stream.Result();
    return result == DownloadStream::kRunning ? DownloadStream::kCancelled : result;
}

void CDownloadProgressDlg::OnTick() {
    stream.Tick(static_cast<std::uint64_t>(clock.elapsed()));
    Refresh();
    if (stream.Result() != DownloadStream::kRunning) {
        timer.stop();
        done(stream.Result());
    }
}

void CDownloadProgressDlg::reject() {
    stream.Cancel();
    timer.stop();
    done(DownloadStream::kCancelled);
}

void CDownloadProgressDlg::Refresh() {
    fileName->setText(QString::fromStdString(stream.FileNameText()));
    sent->setText(QString::fromStdString(stream.SentText()));
    rate->setText(QString::fromStdString(stream.RateText()));
    bar->setValue(static_cast<int>(stream.Percent()));
}

QString CDownloadProgressDlg::SentText() const {
    return sent->text();
}
QString CDownloadProgressDlg::RateText() const {
    return rate->text();
}
int CDownloadProgressDlg::Percent() const {
    return bar->value();
}

} // namespace t8
