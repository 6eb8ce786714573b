#include "examine/CSettingsSheet.h"

#include "examine/CExaminePage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace t8 {

CSettingsSheet::CSettingsSheet(QWidget* parent) : QDialog(parent) {
    setObjectName("CSettingsSheet");
    setWindowTitle("Settings...");
    auto* tabs = new QTabWidget(this);
    page = new CExaminePage(tabs);
    tabs->addTab(page, "Examine");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void CSettingsSheet::LoadFromRecord(const TTYInfo& record) {
    page->LoadFromRecord(record);
}
void CSettingsSheet::StoreToRecord(TTYInfo& record) const {
    page->StoreToRecord(record);
}

} // namespace t8
