#pragma once

#include "examine/MemoryMap.h"

#include <QWidget>

#include <vector>

namespace t8 {

// Draws the segments to scale over the image span, so a glance tells where the data lie.
class MemoryMapStrip : public QWidget {
    Q_OBJECT
public:
    explicit MemoryMapStrip(QWidget* parent = nullptr);

    void SetSegments(std::vector<ImageSegment> segments, std::uint32_t spanStart,
                     std::uint64_t spanLength);
    [[nodiscard]] QSize sizeHint() const override { return {480, 34}; }
    [[nodiscard]] const std::vector<ImageSegment>& Segments() const { return segments; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<ImageSegment> segments;
    std::uint32_t spanStart = 0;
    std::uint64_t spanLength = 0;
};

} // namespace t8
