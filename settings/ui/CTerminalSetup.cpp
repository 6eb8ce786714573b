#include "settings/ui/CTerminalSetup.h"

#include "link/ComPortSettings.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CLPTPortPage.h"
#include "settings/ui/CUSBPortPage.h"
#include "settings/ui/SheetLayout.h"

#include <QMessageBox>
#include <QTabWidget>

namespace t8 {

CTerminalSetup::CTerminalSetup(const QString& caption, QWidget* parent, int firstPage)
    : QDialog(parent) {
    setObjectName("CTerminalSetup");
    setWindowTitle(caption);
    tabs = new QTabWidget(this);
    // the LPT and USB pages belong to the sheet but are never added to it
    usbPage = new CUSBPortPage(this);
    lptPage = new CLPTPortPage(this);
    usbPage->hide();
    lptPage->hide();
    comPage = new CCOMPortPage(tabs);
    tabs->addTab(comPage, "COM Port");
    LayOutSheet(*this, tabs, firstPage);
}

void CTerminalSetup::LoadFromRecord(const ComPortSettings& settings,
                                    const std::string& runOverride) {
    comPage->LoadSettings(settings, runOverride);
}

void CTerminalSetup::StoreToRecord(ComPortSettings& settings) const {
    settings = comPage->Settings();
}

bool CTerminalSetup::KeepsRunOverride() const {
    return comPage->KeepsRunOverride();
}

void CTerminalSetup::accept() {
    if (const std::string problem = comPage->OnOK(); !problem.empty()) {
        // said and left for the operator to correct: never dropped for the old port
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(problem));
        return;
    }
    QDialog::accept();
}

} // namespace t8
