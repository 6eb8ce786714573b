#pragma once

#include <QDialog>

namespace t8 {

class CExaminePage;
struct FillOptions;

// "Settings...": a sheet whose one page is "Examine".
class CSettingsSheet : public QDialog {
    Q_OBJECT
public:
    explicit CSettingsSheet(QWidget* parent = nullptr);

    void LoadFromRecord(const FillOptions& fill);
    void StoreToRecord(FillOptions& fill) const;
    [[nodiscard]] CExaminePage* Page() const { return page; }

private:
    CExaminePage* page = nullptr;
};

} // namespace t8
