#pragma once

#include "link/ScreenState.h"
#include "terminal/ScreenModel.h"
#include "terminal/ui/CellGlyphs.h"

#include <QFont>
#include <QRect>
#include <QSize>

class QPainter;

namespace t8 {

struct TTYInfo;

// What the viewport shows of the screen: the rows drawn with the font's glyphs, and the caret
// over them. Draws on any painter, so printing gets what the window shows.
class ScreenPainter {
public:
    // The glyphs of `font` on cells of `cell` (`oem`: the OEM character set's).
    void Build(const QFont& font, bool oem, QSize cell) { glyphs.Build(font, oem, cell); }
    // The record's background over `area` and the rows that fall in it; the background alone
    // while there is no record or no screen.
    void Paint(QPainter& painter, const QRect& area, const TTYInfo* tty, const ScreenModel* screen);
    // The caret at `at`, inverting the cell it stands on.
    static void PaintCaret(QPainter& painter, PixelPoint at, const ScreenState& screen);

private:
    CellGlyphs glyphs;
};

} // namespace t8
