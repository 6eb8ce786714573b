#pragma once

#include <QWidget>

class QCheckBox;
class QListWidget;

namespace t8 {

// The "USB Port" page. A member of "Terminal Setup" that is never shown; its device list is
// never filled and its settings live only in the store.
class CUSBPortPage : public QWidget {
    Q_OBJECT
public:
    explicit CUSBPortPage(QWidget* parent = nullptr);

    void OnInitDialog();
    [[nodiscard]] QCheckBox* ActiveBox() const { return activeBox; }
    [[nodiscard]] QListWidget* DeviceList() const { return deviceList; }

private:
    void EnableControls();

    QListWidget* deviceList = nullptr;
    QCheckBox* activeBox = nullptr;
    QCheckBox* autoWrapBox = nullptr;
    QCheckBox* localEchoBox = nullptr;
    QCheckBox* newLineBox = nullptr;
};

} // namespace t8
