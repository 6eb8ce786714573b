#include "examine/ui/CExaminePage.h"

#include "examine/FillPattern.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace t8 {

CExaminePage::CExaminePage(QWidget* parent) : QWidget(parent) {
    setObjectName("CExaminePage");
    csumBox = new QCheckBox("Add unused space to CSUM", this);
    patternField = new QLineEdit(this);
    patternField->setMaxLength(8);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Unused fill pattern:", this));
    row->addWidget(patternField);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(csumBox);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(csumBox, &QCheckBox::toggled, this, [this](bool on) {
        TakeControls();
        patternField->setEnabled(on);
    });
    connect(patternField, &QLineEdit::textEdited, this, [this] { TakeControls(); });
}

void CExaminePage::LoadFromRecord(const TTYInfo& record) {
    settings = record;
    const QSignalBlocker blockBox(csumBox);
    const QSignalBlocker blockField(patternField);
    csumBox->setChecked(settings.fillUnused != 0);
    patternField->setText(QString::fromStdString(FormatFillPattern(settings.fillPattern)));
    patternField->setEnabled(settings.fillUnused != 0);
}

void CExaminePage::TakeControls() {
    settings.fillPattern =
        ScanFillPattern(patternField->text().toStdString(), settings.fillPattern);
    settings.fillUnused = csumBox->isChecked() ? 1 : 0;
}

void CExaminePage::StoreToRecord(TTYInfo& record) const {
    record.fillUnused = settings.fillUnused;
    record.fillPattern = settings.fillPattern;
}

} // namespace t8
