#pragma once

#include <QDialog>

namespace t8 {

// "About": the program's picture, its version text and OK.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kVersionText = "T8HostLink ver. 2.17";
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace t8
