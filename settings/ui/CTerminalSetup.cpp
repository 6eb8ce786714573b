#include "settings/ui/CTerminalSetup.h"

#include "link/ComPortSettings.h"
#include "settings/ui/CCOMPortPage.h"
#include "settings/ui/CLPTPortPage.h"
#include "settings/ui/CUSBPortPage.h"
#include "settings/ui/SheetLayout.h"

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
    comPage->OnOK();
    QDialog::accept();
}

} // namespace t8
