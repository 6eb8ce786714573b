#include "settings/ui/CUSBPortPage.h"

#include <QGroupBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace t8 {

CUSBPortPage::CUSBPortPage(QWidget* parent) : HiddenPortPage("USB Actived", parent) {
    setObjectName("CUSBPortPage");
    deviceList = new QListWidget(this);
    auto* usbGroup = new QGroupBox("&USB Devices:", this);
    auto* usbLayout = new QVBoxLayout(usbGroup);
    usbLayout->addWidget(deviceList);
    LayOut(usbGroup, {deviceList});
}

} // namespace t8
