#include "settings/ui/BrowseDirectory.h"

#include "settings/DirectoryPath.h"

#include <QFileDialog>

namespace t8 {

int BrowseDirectory(std::string& directory, QWidget* parent) {
    const QString chosen = QFileDialog::getExistingDirectory(
        parent, kBrowseDirectoryTitle, QString::fromStdString(ChooserStart(directory)),
        QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return 0;
    }
    directory = WithoutTrailingSeparator(chosen.toStdString());
    return 1;
}

} // namespace t8
