#pragma once

#include <QDialog>

namespace t8 {

class CDirectoriesPage;

// "Directories and Filters": a sheet whose one page is "Directories".
class CDirectoriesSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Directories and Filters";

    CDirectoriesSetup(const QString& caption, QWidget* parent = nullptr, int firstPage = 0);

    void accept() override;
    [[nodiscard]] CDirectoriesPage* Page() const { return page; }

private:
    CDirectoriesPage* page = nullptr;
};

} // namespace t8
