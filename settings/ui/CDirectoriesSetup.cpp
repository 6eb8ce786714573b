#include "settings/ui/CDirectoriesSetup.h"

#include "settings/ui/CDirectoriesPage.h"
#include "settings/ui/SheetLayout.h"

#include <QTabWidget>

namespace t8 {

CDirectoriesSetup::CDirectoriesSetup(const QString& caption, QWidget* parent, int firstPage)
    : QDialog(parent) {
    setObjectName("CDirectoriesSetup");
    setWindowTitle(caption);
    auto* tabs = new QTabWidget(this);
    page = new CDirectoriesPage(tabs);
    tabs->addTab(page, "Directories");
    LayOutSheet(*this, tabs, firstPage);
}

void CDirectoriesSetup::accept() {
    page->UpdateData(true);
    QDialog::accept();
}

} // namespace t8
