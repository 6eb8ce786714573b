#include "settings/CUSBPortPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace t8 {

CUSBPortPage::CUSBPortPage(QWidget* parent) : QWidget(parent) {
    setObjectName("CUSBPortPage");
    activeBox = new QCheckBox("USB Actived", this);
    deviceList = new QListWidget(this);
    autoWrapBox = new QCheckBox("Autowrap", this);
    newLineBox = new QCheckBox("New Line", this);
    localEchoBox = new QCheckBox("Local Echo", this);

    auto* usbGroup = new QGroupBox("&USB Devices:", this);
    auto* usbLayout = new QVBoxLayout(usbGroup);
    usbLayout->addWidget(deviceList);
    auto* ttyGroup = new QGroupBox("&TTY Options:", this);
    auto* ttyLayout = new QVBoxLayout(ttyGroup);
    for (QCheckBox* box : {autoWrapBox, newLineBox, localEchoBox}) {
        ttyLayout->addWidget(box);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(activeBox);
    layout->addWidget(usbGroup);
    layout->addWidget(ttyGroup);
    connect(activeBox, &QCheckBox::clicked, this, &CUSBPortPage::EnableControls);
}

void CUSBPortPage::OnInitDialog() {
    EnableControls();
}

void CUSBPortPage::EnableControls() {
    const bool active = activeBox->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{deviceList, autoWrapBox, newLineBox, localEchoBox}) {
        control->setEnabled(active);
    }
}

} // namespace t8
