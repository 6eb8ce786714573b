#include "app/AboutBox.h"

#include "app/CSplashWindow.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace t8 {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setObjectName("AboutBox");
    auto* picture = new QLabel(this);
    picture->setPixmap(AboutPicture());
    auto* text = new QLabel(kVersionText, this);
    text->setObjectName("versionText");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

} // namespace t8
