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

void CExaminePage::LoadFromRecord(const FillOptions& fill) {
    settings = fill;
    const QSignalBlocker blockBox(csumBox);
    const QSignalBlocker blockField(patternField);
    csumBox->setChecked(settings.unused != 0);
    patternField->setText(QString::fromStdString(FormatFillPattern(settings.pattern)));
    patternField->setEnabled(settings.unused != 0);
}

void CExaminePage::TakeControls() {
    settings.pattern = ScanFillPattern(patternField->text().toStdString(), settings.pattern);
    settings.unused = csumBox->isChecked() ? 1 : 0;
}

void CExaminePage::StoreToRecord(FillOptions& fill) const {
    fill = settings;
}

} // namespace t8
