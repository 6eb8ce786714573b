#include "examine/ui/CSettingsSheet.h"

#include "examine/ui/CExaminePage.h"
#include "settings/ui/SheetLayout.h"

#include <QTabWidget>

namespace t8 {

CSettingsSheet::CSettingsSheet(QWidget* parent) : QDialog(parent) {
    setObjectName("CSettingsSheet");
    setWindowTitle("Settings...");
    auto* tabs = new QTabWidget(this);
    page = new CExaminePage(tabs);
    tabs->addTab(page, "Examine");
    LayOutSheet(*this, tabs);
}

void CSettingsSheet::LoadFromRecord(const FillOptions& fill) {
    page->LoadFromRecord(fill);
}
void CSettingsSheet::StoreToRecord(FillOptions& fill) const {
    page->StoreToRecord(fill);
}

} // namespace t8
