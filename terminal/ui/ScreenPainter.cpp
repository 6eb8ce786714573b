#include "terminal/ui/ScreenPainter.h"

#include "link/TTYInfo.h"
#include "settings/ColorRef.h"

#include <QPainter>

namespace t8 {

void ScreenPainter::Paint(QPainter& painter, const QRect& area, const TTYInfo* tty,
                          const ScreenModel* screen) {
    const QColor back = ColorFromColorRef(tty ? tty->look.backColour : TerminalLook{}.backColour);
    painter.fillRect(area, back);
    if (!tty || !screen) {
        return;
    }
    painter.setPen(ColorFromColorRef(tty->look.textColour));
    const PixelRect client{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    painter.save();
    for (const PaintRow& row : screen->PlanPaint(client)) {
        // a glyph reaching past its row (accents, descenders) must not mark the neighbours
        painter.setClipRect(row.strip.left, row.strip.top, row.strip.right - row.strip.left,
                            row.strip.bottom - row.strip.top);
        glyphs.DrawRow(painter, QPointF(row.x, row.y), row.cells);
    }
    painter.restore();
}

void ScreenPainter::PaintCaret(QPainter& painter, PixelPoint at, const ScreenState& screen) {
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(at.x, at.y, screen.charWidth, screen.charHeight, Qt::white);
}

} // namespace t8
