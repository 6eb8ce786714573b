#pragma once

#include "settings/DirectorySettings.h"

#include <QWidget>

#include <array>
#include <string>

class QLineEdit;
class QPushButton;

namespace t8 {

// The "Directories" page: where the transfer and batch file dialogs start and with which
// filter. The three filter names are kept in hidden fields. Edits reach the members on OK;
// a "Browse" shows every field again from the members.
class CDirectoriesPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 10;

    explicit CDirectoriesPage(QWidget* parent = nullptr);

    // The ten settings in and out (the setters and getters of the members).
    void SetDirectories(const DirectorySettings& directories);
    [[nodiscard]] const DirectorySettings& Directories() const { return members; }

    // The data exchange: the members into the fields, or (save) the fields into the members.
    void UpdateData(bool save);

    // The field and its "Browse" button for a member, by the member's place in the settings.
    [[nodiscard]] QLineEdit* Field(std::string DirectorySettings::*member) const;
    [[nodiscard]] QPushButton* BrowseButton(std::string DirectorySettings::*member) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Binding {
        const char* label;
        std::string DirectorySettings::*member;
        bool hidden;
        bool browsable;
    };
    static const std::array<Binding, kFieldCount> kBindings;

    void Browse(std::string DirectorySettings::*member);
    [[nodiscard]] int IndexOf(std::string DirectorySettings::*member) const;

    DirectorySettings members;
    std::array<QLineEdit*, kFieldCount> fields{};
    std::array<QPushButton*, kFieldCount> buttons{};
    bool shown = false;
};

} // namespace t8
