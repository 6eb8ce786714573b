#pragma once

#include "settings/ui/HiddenPortPage.h"

class QComboBox;

namespace t8 {

// The "LPT Port" page. A member of "Terminal Setup" that is never shown.
class CLPTPortPage : public HiddenPortPage {
    Q_OBJECT
public:
    explicit CLPTPortPage(QWidget* parent = nullptr);

    [[nodiscard]] QComboBox* PortBox() const { return portBox; }

private:
    QComboBox* portTypeBox = nullptr;
    QComboBox* portBox = nullptr;
};

} // namespace t8
