#include "settings/CLPTPortPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace t8 {

CLPTPortPage::CLPTPortPage(QWidget* parent) : QWidget(parent) {
    setObjectName("CLPTPortPage");
    activeBox = new QCheckBox("LPT Active", this);
    portBox = new QComboBox(this);
    portBox->addItems({"1", "2", "3", "4"});
    portTypeBox = new QComboBox(this);
    portTypeBox->addItems({"4 bits (uni-directional)", "8 bits (bi-directional)"});
    autoWrapBox = new QCheckBox("Autowrap", this);
    newLineBox = new QCheckBox("New Line", this);
    localEchoBox = new QCheckBox("Local Echo", this);

    auto* lptGroup = new QGroupBox("&LPT Options:", this);
    auto* form = new QFormLayout(lptGroup);
    form->addRow("&Port:", portBox);
    form->addRow("&Port type:", portTypeBox);
    auto* ttyGroup = new QGroupBox("&TTY Options:", this);
    auto* ttyLayout = new QVBoxLayout(ttyGroup);
    for (QCheckBox* box : {autoWrapBox, newLineBox, localEchoBox}) {
        ttyLayout->addWidget(box);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(activeBox);
    layout->addWidget(lptGroup);
    layout->addWidget(ttyGroup);
    connect(activeBox, &QCheckBox::clicked, this, &CLPTPortPage::EnableControls);
}

void CLPTPortPage::OnInitDialog() {
    EnableControls();
}

void CLPTPortPage::EnableControls() {
    const bool active = activeBox->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{portBox, portTypeBox, autoWrapBox,
                                                            newLineBox, localEchoBox}) {
        control->setEnabled(active);
    }
}

} // namespace t8
