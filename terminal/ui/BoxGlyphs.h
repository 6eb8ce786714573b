#pragma once

#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

class QColor;
class QPainter;

namespace t8 {

// The line-drawing, block and shade characters of code page 437 (0xB0-0xDF and the small
// square 0xFE), drawn from the cell's own rectangle instead of the font. A font's box glyphs
// rarely fill the cell the view lays them on, so their lines break between rows; here every
// line sits at the same pixel offsets in every cell of the grid, so neighbours join at any
// font size and any device pixel ratio.
class BoxGlyphs {
public:
    // True for the bytes drawn here.
    [[nodiscard]] static bool Covers(std::uint8_t byte);

    // The cell the glyphs fill, and the light line's thickness (a double line is two of them
    // with one between).
    void SetCell(QSize cell_, int lineWidth);
    // The rectangles that make up the glyph of `byte` in a cell at the origin; shades are one
    // rectangle over the whole cell.
    [[nodiscard]] std::vector<QRect> Rectangles(std::uint8_t byte) const;
    // Draws the glyph of a covered byte in `ink`, the cell's top left at `topLeft`.
    void Draw(QPainter& painter, QPoint topLeft, std::uint8_t byte, const QColor& ink) const;

private:
    struct Arms {
        std::uint8_t before; // up, or left: 0 none, 1 light, 2 double
        std::uint8_t after;  // down, or right
    };
    void AddLines(std::vector<QRect>& out, Arms self, Arms other, bool vertical) const;
    [[nodiscard]] std::vector<QRect> Block(std::uint8_t byte) const;

    QSize cell{1, 1};
    int thickness = 1;
};

} // namespace t8
