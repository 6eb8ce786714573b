#pragma once

#include "terminal/ui/BoxGlyphs.h"

#include <QFont>
#include <QGlyphRun>
#include <QPointF>
#include <QRawFont>
#include <QSize>

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

class QPaintDevice;
class QPainter;

namespace t8 {

// The glyph of each of the 256 byte values in the terminal font, looked up once per font, and
// the drawing of a row with every glyph on its own cell. A row is one glyph run per face used
// (the font and its fallbacks), so painting costs one text call per row whatever the font's
// fractional advance: the glyphs cannot drift off the cell grid. With CP437 pictures the
// line-drawing, block and shade characters are drawn from the cell itself (BoxGlyphs).
class CellGlyphs {
public:
    // The cell a font is laid out on: an M's advance wide, a line high.
    [[nodiscard]] static QSize CellSize(const QFont& font, const QPaintDevice* device);
    // Glyphs for `font` showing the bytes as CP437 pictures (`oem`) or as Latin-1, placed in
    // cells of `cell` pixels.
    void Build(const QFont& font, bool oem, QSize cell);
    // Draws the cells from `origin` (the top left of the first cell).
    void DrawRow(QPainter& painter, QPointF origin, std::span<const std::uint8_t> cells);

private:
    static constexpr int kNoFace = -1;
    static constexpr int kNoLine = std::numeric_limits<int>::min();
    struct Glyph {
        int face = kNoFace;
        quint32 index = 0;
        int offset = 0; // centres the glyph's advance in the cell
        bool blank = true;
        bool box = false; // drawn by `boxes`
    };
    struct Run {
        QGlyphRun glyphRun;
        std::vector<quint32> indexes;
        std::vector<QPointF> positions;
    };

    [[nodiscard]] int FaceSlot(const QRawFont& face);
    void LookUp(std::uint8_t byte, const QFont& font, const QString& text);

    std::array<Glyph, 256> glyphs{};
    std::vector<Run> runs; // one per face, reused from row to row
    BoxGlyphs boxes;
    int charWidth = 0;
    int ascent = 0;
    int lineWidth = 1;
    // the underline's and strike-out's distance below the baseline, or kNoLine
    int underlineOffset = kNoLine;
    int strikeOutOffset = kNoLine;
};

} // namespace t8
