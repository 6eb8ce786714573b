#include "settings/ui/CLPTPortPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>

namespace t8 {

CLPTPortPage::CLPTPortPage(QWidget* parent) : HiddenPortPage("LPT Active", parent) {
    setObjectName("CLPTPortPage");
    portBox = new QComboBox(this);
    portBox->addItems({"1", "2", "3", "4"});
    portTypeBox = new QComboBox(this);
    portTypeBox->addItems({"4 bits (uni-directional)", "8 bits (bi-directional)"});
    auto* lptGroup = new QGroupBox("&LPT Options:", this);
    auto* form = new QFormLayout(lptGroup);
    form->addRow("&Port:", portBox);
    form->addRow("&Port type:", portTypeBox);
    LayOut(lptGroup, {portBox, portTypeBox});
}

} // namespace t8
