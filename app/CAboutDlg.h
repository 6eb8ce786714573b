#pragma once

#include <QDialog>

namespace t8 {

// "About": the program's picture, its version text and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kVersionText = "T8HostLink ver. 2.17";
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace t8
