#pragma once

#include "link/TTYInfo.h"
#include "terminal/LineStamps.h"

#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <optional>

class QAbstractScrollArea;
class QFont;

namespace t8 {

// The margin left of the terminal's rows that shows the time each line from the device began
// (View > Timestamps). It keeps the line times while it is shown; the view hands each block to
// the screen through it and leaves room for it beside the viewport. Never part of the cells:
// nothing of it reaches the device, the capture's bytes or a received file.
class TimestampMargin : public QWidget {
    Q_OBJECT
public:
    // `view`: the terminal, whose left viewport margin this fills; `font`: the terminal's font.
    TimestampMargin(QAbstractScrollArea& view, const QFont& font);

    // The record whose screen the times are kept for, once there is one.
    void Attach(const TTYInfo& tty);
    void SetShown(bool on);
    [[nodiscard]] bool Shown() const { return stamps.has_value(); }
    // The pixels the view leaves for the margin (0 while hidden).
    [[nodiscard]] int Width() const;
    // Shows a block through `show`, noting the time of each line it begins while shown.
    void Feed(const std::uint8_t* bytes, std::size_t count, const LineStamps::Show& show);
    // The screen was cleared.
    void Clear();
    // Beside the viewport, as high as it is.
    void Place();
    // The time shown beside a buffer row, empty for none; the tests read the margin by it.
    [[nodiscard]] QString TimeText(std::int32_t row);
    // The time of day now, as the stamps hold it.
    [[nodiscard]] static StampTime Now();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QAbstractScrollArea& view;
    const QFont& font;
    const TTYInfo* tty = nullptr;
    std::optional<LineStamps> stamps;
};

} // namespace t8
