#include "settings/CDirectoriesSetup.h"

#include "settings/CDirectoriesPage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace t8 {

CDirectoriesSetup::CDirectoriesSetup(const QString& caption, QWidget* parent, int firstPage)
    : QDialog(parent) {
    setObjectName("CDirectoriesSetup");
    setWindowTitle(caption);
    auto* tabs = new QTabWidget(this);
    page = new CDirectoriesPage(tabs);
    tabs->addTab(page, "Directories");
    tabs->setCurrentIndex(firstPage < tabs->count() ? firstPage : 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDirectoriesSetup::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void CDirectoriesSetup::accept() {
    page->UpdateData(true);
    QDialog::accept();
}

} // namespace t8
