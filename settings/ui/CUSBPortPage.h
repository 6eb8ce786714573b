#pragma once

#include "settings/ui/HiddenPortPage.h"

class QListWidget;

namespace t8 {

// The "USB Port" page. A member of "Terminal Setup" that is never shown; its device list is
// never filled.
class CUSBPortPage : public HiddenPortPage {
    Q_OBJECT
public:
    explicit CUSBPortPage(QWidget* parent = nullptr);

    [[nodiscard]] QListWidget* DeviceList() const { return deviceList; }

private:
    QListWidget* deviceList = nullptr;
};

} // namespace t8
