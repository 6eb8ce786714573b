#include "settings/ui/HiddenPortPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace t8 {

HiddenPortPage::HiddenPortPage(const QString& activeText, QWidget* parent) : QWidget(parent) {
    activeBox = new QCheckBox(activeText, this);
    connect(activeBox, &QCheckBox::clicked, this, &HiddenPortPage::EnableControls);
}

void HiddenPortPage::LayOut(QGroupBox* portGroup, std::initializer_list<QWidget*> portControls) {
    controls.assign(portControls);
    auto* ttyGroup = new QGroupBox("&TTY Options:", this);
    auto* ttyLayout = new QVBoxLayout(ttyGroup);
    for (const char* text : {"Autowrap", "New Line", "Local Echo"}) {
        auto* box = new QCheckBox(text, this);
        ttyLayout->addWidget(box);
        controls.push_back(box);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(activeBox);
    layout->addWidget(portGroup);
    layout->addWidget(ttyGroup);
}

void HiddenPortPage::OnInitDialog() {
    EnableControls();
}

void HiddenPortPage::EnableControls() {
    const bool active = activeBox->isChecked();
    for (QWidget* control : controls) {
        control->setEnabled(active);
    }
}

} // namespace t8
