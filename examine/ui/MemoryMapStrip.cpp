#include "examine/ui/MemoryMapStrip.h"

#include <QPainter>

namespace t8 {

MemoryMapStrip::MemoryMapStrip(QWidget* parent) : QWidget(parent) {
    setObjectName("memoryMap");
    setMinimumHeight(30);
    setToolTip("Memory map: the segments over the image span");
}

void MemoryMapStrip::SetSegments(std::vector<ImageSegment> segments_, std::uint32_t spanStart_,
                                 std::uint64_t spanLength_) {
    segments = std::move(segments_);
    spanStart = spanStart_;
    spanLength = spanLength_;
    update();
}

void MemoryMapStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect bar = rect().adjusted(0, 0, -1, -13);
    painter.fillRect(bar, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(bar);
    const QColor fill = palette().color(QPalette::Highlight);
    for (const MapBar& piece : LayoutMemoryMap(segments, spanStart, spanLength, bar.width() - 1)) {
        painter.fillRect(bar.left() + 1 + piece.x, bar.top() + 1, piece.width, bar.height() - 1,
                         fill);
    }
    if (spanLength == 0) {
        return;
    }
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter.setFont(small);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect labels(0, bar.bottom() + 1, width(), 12);
    const std::uint64_t last = spanStart + spanLength - 1;
    painter.drawText(labels, Qt::AlignLeft,
                     QString("$%1").arg(spanStart, 8, 16, QChar('0')).toUpper());
    painter.drawText(labels, Qt::AlignRight, QString("$%1").arg(last, 8, 16, QChar('0')).toUpper());
}

} // namespace t8
