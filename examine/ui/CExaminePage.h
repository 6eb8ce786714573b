#pragma once

#include "link/FillOptions.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace t8 {

// The "Examine" page: "Add unused space to CSUM" and the fill pattern, edited on a copy of
// the record's fill options.
class CExaminePage : public QWidget {
    Q_OBJECT
public:
    explicit CExaminePage(QWidget* parent = nullptr);

    void LoadFromRecord(const FillOptions& fill);
    void StoreToRecord(FillOptions& fill) const;

    [[nodiscard]] QCheckBox* CsumBox() const { return csumBox; }
    [[nodiscard]] QLineEdit* PatternField() const { return patternField; }
    [[nodiscard]] std::uint32_t FillUnused() const { return settings.unused; }
    [[nodiscard]] std::uint32_t FillPattern() const { return settings.pattern; }

private:
    void TakeControls();

    FillOptions settings;
    QCheckBox* csumBox = nullptr;
    QLineEdit* patternField = nullptr;
};

} // namespace t8
