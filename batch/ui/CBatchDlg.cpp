#include "batch/ui/CBatchDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t8 {

namespace {

// 473 dialog units of the 8-point dialog font, about this many pixels.
constexpr int kDialogWidth = 710;

// A PRINT line keeps its line end; a label shows it as an empty second line.
QString Shown(const std::string& text) {
    QString shown = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    while (shown.endsWith('\n') || shown.endsWith('\r')) {
        shown.chop(1);
    }
    return shown;
}

QLabel* TextLine(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

CBatchDlg::CBatchDlg(const std::string& batchPath_, BatchTerminal& terminal, QWidget* parent)
    : QDialog(parent), batchPath(batchPath_), executor(terminal, *this) {
    setObjectName("CBatchDlg");
    setWindowTitle("Execute batch file");
    setMinimumWidth(kDialogWidth);
    messageLine = TextLine("messageLine", this);
    statusLine = TextLine("statusLine", this);
    auto* buttons = new QDialogButtonBox(this);
    okButton = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    abortButton = buttons->addButton("Abort", QDialogButtonBox::DestructiveRole);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &CBatchDlg::OnOk);
    connect(abortButton, &QPushButton::clicked, this, [this] { executor.Abort(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageLine);
    layout->addWidget(statusLine);
    layout->addWidget(buttons);
    timer.setInterval(BatchExecutor::kTickMs);
    connect(&timer, &QTimer::timeout, this, &CBatchDlg::OnTick);
}

int CBatchDlg::exec() {
    if (!batchPath.empty()) {
        (void)executor.Open(batchPath); // a failure is shown in the texts
    }
    timer.start();
    const int result = QDialog::exec();
    timer.stop();
    return result;
}

void CBatchDlg::OnTick() {
    executor.Tick();
}

void CBatchDlg::OnOk() {
    if (executor.Ok()) {
        timer.stop();
        accept();
    }
}

void CBatchDlg::reject() {
    timer.stop();
    QDialog::reject();
}

void CBatchDlg::ShowTexts(const BatchTexts& texts) {
    messageLine->setText(Shown(texts.message));
    statusLine->setText(Shown(texts.status));
}

QString CBatchDlg::MessageText() const {
    return messageLine->text();
}

QString CBatchDlg::StatusText() const {
    return statusLine->text();
}

} // namespace t8
