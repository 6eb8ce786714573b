#pragma once

#include "link/TTYInfo.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace t8 {

// The "Examine" page: "Add unused space to CSUM" and the fill pattern, edited on a copy of
// the record; only those two go back.
class CExaminePage : public QWidget {
    Q_OBJECT
public:
    explicit CExaminePage(QWidget* parent = nullptr);

    void LoadFromRecord(const TTYInfo& record);
    void StoreToRecord(TTYInfo& record) const;

    [[nodiscard]] QCheckBox* CsumBox() const { return csumBox; }
    [[nodiscard]] QLineEdit* PatternField() const { return patternField; }
    [[nodiscard]] std::uint32_t FillUnused() const { return settings.fillUnused; }
    [[nodiscard]] std::uint32_t FillPattern() const { return settings.fillPattern; }

private:
    void TakeControls();

    TTYInfo settings;
    QCheckBox* csumBox = nullptr;
    QLineEdit* patternField = nullptr;
};

} // namespace t8
