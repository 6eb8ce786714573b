#include "settings/ui/CDirectoriesPage.h"

#include "settings/ui/BrowseDirectory.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace t8 {

using Dirs = DirectorySettings;

const std::array<CDirectoriesPage::Binding, CDirectoriesPage::kFieldCount>
    CDirectoriesPage::kBindings = {{
        {"Download directory", &Dirs::downloadDirectory, false, true},
        {"Download filter", &Dirs::downloadFilter, false, false},
        {"Download filter name", &Dirs::downloadFilterName, true, false},
        {"Upload directory", &Dirs::uploadDirectory, false, true},
        {"Upload filter", &Dirs::uploadFilter, false, false},
        {"Upload filter name", &Dirs::uploadFilterName, true, false},
        {"Library directory", &Dirs::libraryDirectory, false, true},
        {"Library filter", &Dirs::libraryFilter, false, false},
        {"Library filter name", &Dirs::libraryFilterName, true, false},
        {"Batch files directory", &Dirs::batchDirectory, false, true},
    }};

CDirectoriesPage::CDirectoriesPage(QWidget* parent) : QWidget(parent) {
    setObjectName("CDirectoriesPage");
    auto* grid = new QGridLayout(this);
    for (std::size_t i = 0; i < kBindings.size(); ++i) {
        const Binding& binding = kBindings[i];
        members.*binding.member = std::string();
        auto* label = new QLabel(binding.label, this);
        fields[i] = new QLineEdit(this);
        label->setBuddy(fields[i]);
        const int row = static_cast<int>(i);
        grid->addWidget(label, row, 0);
        grid->addWidget(fields[i], row, 1);
        if (binding.browsable) {
            buttons[i] = new QPushButton("Browse", this);
            grid->addWidget(buttons[i], row, 2);
            connect(buttons[i], &QPushButton::clicked, this,
                    [this, member = binding.member] { Browse(member); });
        }
        label->setVisible(!binding.hidden);
        fields[i]->setVisible(!binding.hidden);
    }
    grid->setColumnMinimumWidth(1, fontMetrics().averageCharWidth() * 48);
    grid->setRowStretch(static_cast<int>(kBindings.size()), 1);
}

void CDirectoriesPage::SetDirectories(const DirectorySettings& directories) {
    members = directories;
    if (shown) {
        UpdateData(false);
    }
}

void CDirectoriesPage::showEvent(QShowEvent* event) {
    if (!shown) {
        shown = true;
        UpdateData(false);
    }
    QWidget::showEvent(event);
}

void CDirectoriesPage::UpdateData(bool save) {
    if (save && !shown) {
        return; // the fields never held the members: nothing was edited
    }
    for (std::size_t i = 0; i < kBindings.size(); ++i) {
        std::string& member = members.*kBindings[i].member;
        if (save) {
            member = fields[i]->text().toStdString();
        } else {
            fields[i]->setText(QString::fromStdString(member));
        }
    }
}

int CDirectoriesPage::IndexOf(std::string DirectorySettings::*member) const {
    for (std::size_t i = 0; i < kBindings.size(); ++i) {
        if (kBindings[i].member == member) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QLineEdit* CDirectoriesPage::Field(std::string DirectorySettings::*member) const {
    const int index = IndexOf(member);
    return index < 0 ? nullptr : fields[static_cast<std::size_t>(index)];
}

QPushButton* CDirectoriesPage::BrowseButton(std::string DirectorySettings::*member) const {
    const int index = IndexOf(member);
    return index < 0 ? nullptr : buttons[static_cast<std::size_t>(index)];
}

// The chooser opens where the field points; a choice replaces the member, and every field is
// shown again from the members (text typed elsewhere and not yet taken by OK goes back).
void CDirectoriesPage::Browse(std::string DirectorySettings::*member) {
    std::string directory = Field(member)->text().toStdString();
    if (BrowseDirectory(directory, this) == 1) {
        members.*member = directory;
        UpdateData(false);
    }
}

} // namespace t8
