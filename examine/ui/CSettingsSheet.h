#pragma once

#include <QDialog>

namespace t8 {

class CExaminePage;
struct TTYInfo;

// "Settings...": a sheet whose one page is "Examine".
class CSettingsSheet : public QDialog {
    Q_OBJECT
public:
    explicit CSettingsSheet(QWidget* parent = nullptr);

    void LoadFromRecord(const TTYInfo& record);
    void StoreToRecord(TTYInfo& record) const;
    [[nodiscard]] CExaminePage* Page() const { return page; }

private:
    CExaminePage* page = nullptr;
};

} // namespace t8
