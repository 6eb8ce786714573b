#include "terminal/ui/CellGlyphs.h"

#include "terminal/CodePage437.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace t8 {

namespace {

QString ByteText(std::uint8_t byte, bool oem) {
    const char32_t code = oem ? CodePage437::ToUnicode(byte) : (byte == 0 ? U' ' : byte);
    return QString(QChar(static_cast<char16_t>(code))); // every glyph of the table is in the BMP
}

} // namespace

QSize CellGlyphs::CellSize(const QFont& font, const QPaintDevice* device) {
    const QFontMetrics metrics(font, device);
    return {std::max(1, metrics.horizontalAdvance(QChar('M'))),
            std::max(1, metrics.height() + metrics.leading())};
}

void CellGlyphs::Build(const QFont& font, bool oem, QSize cell) {
    charWidth = cell.width();
    const QFontMetrics metrics(font);
    ascent = metrics.ascent();
    lineWidth = std::max(1, metrics.lineWidth());
    boxes.SetCell(cell, lineWidth);
    // below the baseline by at least a pixel, so that the line never touches the glyphs
    underlineOffset = font.underline() ? std::max(1, metrics.underlinePos()) : kNoLine;
    strikeOutOffset = font.strikeOut() ? -metrics.strikeOutPos() : kNoLine;
    runs.clear();
    for (int byte = 0; byte < static_cast<int>(glyphs.size()); ++byte) {
        const auto value = static_cast<std::uint8_t>(byte);
        LookUp(value, font, ByteText(value, oem));
        glyphs[value].box = oem && BoxGlyphs::Covers(value);
    }
}

// The shaper picks the face: the font itself, or a fallback for a glyph it lacks.
void CellGlyphs::LookUp(std::uint8_t byte, const QFont& font, const QString& text) {
    Glyph& glyph = glyphs[byte];
    glyph = Glyph{};
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> shaped = layout.glyphRuns();
    if (shaped.isEmpty() || shaped.front().glyphIndexes().isEmpty()) {
        return;
    }
    const QGlyphRun& run = shaped.front();
    const QRawFont face = run.rawFont();
    glyph.index = run.glyphIndexes().front();
    glyph.face = FaceSlot(face);
    const QList<QPointF> advances = face.advancesForGlyphIndexes({glyph.index});
    const qreal advance = advances.isEmpty() ? charWidth : advances.front().x();
    glyph.offset = static_cast<int>(std::lround((charWidth - advance) / 2));
    glyph.blank = face.boundingRect(glyph.index).isEmpty();
}

int CellGlyphs::FaceSlot(const QRawFont& face) {
    for (std::size_t slot = 0; slot < runs.size(); ++slot) {
        if (runs[slot].glyphRun.rawFont() == face) {
            return static_cast<int>(slot);
        }
    }
    Run run;
    run.glyphRun.setRawFont(face);
    runs.push_back(std::move(run));
    return static_cast<int>(runs.size() - 1);
}

void CellGlyphs::DrawRow(QPainter& painter, QPointF origin, std::span<const std::uint8_t> cells) {
    for (Run& run : runs) {
        run.indexes.clear();
        run.positions.clear();
    }
    const qreal baseline = origin.y() + ascent;
    for (std::size_t column = 0; column < cells.size(); ++column) {
        const Glyph& glyph = glyphs[cells[column]];
        if (glyph.box) {
            const auto left =
                static_cast<int>(std::lround(origin.x())) + static_cast<int>(column) * charWidth;
            boxes.Draw(painter, QPoint(left, static_cast<int>(std::lround(origin.y()))),
                       cells[column], painter.pen().color());
            continue;
        }
        if (glyph.face == kNoFace || glyph.blank) {
            continue; // the background is already painted
        }
        Run& run = runs[static_cast<std::size_t>(glyph.face)];
        run.indexes.push_back(glyph.index);
        run.positions.emplace_back(
            origin.x() + static_cast<qreal>(column) * charWidth + glyph.offset, baseline);
    }
    for (Run& run : runs) {
        if (run.indexes.empty()) {
            continue;
        }
        run.glyphRun.setRawData(run.indexes.data(), run.positions.data(),
                                static_cast<int>(run.indexes.size()));
        painter.drawGlyphRun(QPointF(0, 0), run.glyphRun);
    }
    // The font's lines run under every cell of the row, blanks included.
    const qreal width = static_cast<qreal>(cells.size()) * charWidth;
    for (const int offset : {underlineOffset, strikeOutOffset}) {
        if (offset != kNoLine) {
            painter.fillRect(QRectF(origin.x(), baseline + offset, width, lineWidth),
                             painter.pen().color());
        }
    }
}

} // namespace t8
