#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace t8 {

// The "LPT Port" page. A member of "Terminal Setup" that is never shown: its settings live
// only in the store, and nothing copies them in or out.
class CLPTPortPage : public QWidget {
    Q_OBJECT
public:
    explicit CLPTPortPage(QWidget* parent = nullptr);

    void OnInitDialog();
    [[nodiscard]] QCheckBox* ActiveBox() const { return activeBox; }
    [[nodiscard]] QComboBox* PortBox() const { return portBox; }

private:
    void EnableControls();

    QComboBox* portTypeBox = nullptr;
    QComboBox* portBox = nullptr;
    QCheckBox* activeBox = nullptr;
    QCheckBox* autoWrapBox = nullptr;
    QCheckBox* localEchoBox = nullptr;
    QCheckBox* newLineBox = nullptr;
};

} // namespace t8
