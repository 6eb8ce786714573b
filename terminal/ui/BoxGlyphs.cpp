#include "terminal/ui/BoxGlyphs.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <array>

namespace t8 {

namespace {

constexpr std::uint8_t kLightShade = 0xB0;
constexpr std::uint8_t kDarkShade = 0xB2;
constexpr std::uint8_t kFirstLine = 0xB3;
constexpr std::uint8_t kLastLine = 0xDA;
constexpr std::uint8_t kFullBlock = 0xDB;
constexpr std::uint8_t kLowerHalf = 0xDC;
constexpr std::uint8_t kLeftHalf = 0xDD;
constexpr std::uint8_t kRightHalf = 0xDE;
constexpr std::uint8_t kUpperHalf = 0xDF;
constexpr std::uint8_t kSmallSquare = 0xFE;

// The arms of each line-drawing character from 0xB3 on: up, right, down, left; 1 light,
// 2 double. On an axis both arms have one weight.
struct LineArms {
    std::uint8_t up, right, down, left;
};
constexpr std::array<LineArms, kLastLine - kFirstLine + 1> kLines{{
    {1, 0, 1, 0}, {1, 0, 1, 1}, {1, 0, 1, 2}, {2, 0, 2, 1}, {0, 0, 2, 1}, // B3 - B7
    {0, 0, 1, 2}, {2, 0, 2, 2}, {2, 0, 2, 0}, {0, 0, 2, 2}, {2, 0, 0, 2}, // B8 - BC
    {2, 0, 0, 1}, {1, 0, 0, 2}, {0, 0, 1, 1}, {1, 1, 0, 0}, {1, 1, 0, 1}, // BD - C1
    {0, 1, 1, 1}, {1, 1, 1, 0}, {0, 1, 0, 1}, {1, 1, 1, 1}, {1, 2, 1, 0}, // C2 - C6
    {2, 1, 2, 0}, {2, 2, 0, 0}, {0, 2, 2, 0}, {2, 2, 0, 2}, {0, 2, 2, 2}, // C7 - CB
    {2, 2, 2, 0}, {0, 2, 0, 2}, {2, 2, 2, 2}, {1, 2, 0, 2}, {2, 1, 0, 1}, // CC - D0
    {0, 2, 1, 2}, {0, 1, 2, 1}, {2, 1, 0, 0}, {1, 2, 0, 0}, {0, 2, 1, 0}, // D1 - D5
    {0, 1, 2, 0}, {2, 1, 2, 1}, {1, 2, 1, 2}, {1, 0, 0, 1}, {0, 1, 1, 0}, // D6 - DA
}};

// Where the lines of a weight lie across an axis `size` pixels long: a light line in the
// middle, a double line as two around it with one line's width between them.
struct Rails {
    std::array<int, 2> at{};
    int count = 0;
};
Rails RailsOf(int weight, int size, int thickness) {
    if (weight == 2) {
        const int first = std::max(0, (size - 3 * thickness) / 2);
        return {{first, first + 2 * thickness}, 2};
    }
    return {{std::max(0, (size - thickness) / 2), 0}, 1};
}

} // namespace

bool BoxGlyphs::Covers(std::uint8_t byte) {
    return (byte >= kLightShade && byte <= kUpperHalf) || byte == kSmallSquare;
}

void BoxGlyphs::SetCell(QSize cell_, int lineWidth) {
    cell = cell_.expandedTo(QSize(1, 1));
    // a double line is three widths across and must fit the narrower side
    thickness = std::clamp(lineWidth, 1, std::max(1, std::min(cell.width(), cell.height()) / 3));
}

// The lines of one axis (vertical: up and down) meeting the other axis's lines in the middle:
// a light arm crosses a double line it continues through, stops at the near rail of a double
// line running on both sides and reaches the far one of a double corner; the rails of a double
// arm meeting double lines turn into the rail of the same side, or run on.
void BoxGlyphs::AddLines(std::vector<QRect>& out, Arms self, Arms other, bool vertical) const {
    const int across = vertical ? cell.width() : cell.height();
    const int along = vertical ? cell.height() : cell.width();
    const int weight = std::max(self.before, self.after);
    const bool otherDouble = std::max(other.before, other.after) == 2;
    const Rails rails = RailsOf(weight, across, thickness);
    const int middle = RailsOf(1, along, thickness).at[0];
    const Rails cross = RailsOf(2, along, thickness);
    const bool otherThrough = other.before != 0 && other.after != 0;
    for (int rail = 0; rail < rails.count; ++rail) {
        const bool sideArm = (rail == 0 ? other.before : other.after) != 0;
        // how far into the cell each arm reaches: the rail of `other` it ends on
        int nearRail = 0; // 0: the middle, 1: the near rail of a double line, 2: the far one
        if (otherDouble && weight == 1) {
            nearRail = self.before && self.after ? 0 : (otherThrough ? 1 : 2);
        } else if (otherDouble) {
            nearRail = sideArm ? 1 : (self.before && self.after ? 0 : 2);
        }
        const int end = nearRail == 0 ? middle : cross.at[nearRail == 1 ? 0 : 1];
        const int start = nearRail == 0 ? middle : cross.at[nearRail == 1 ? 1 : 0];
        const auto add = [&](int from, int to) {
            const int at = rails.at[static_cast<std::size_t>(rail)];
            out.push_back(vertical ? QRect(at, from, thickness, to - from)
                                   : QRect(from, at, to - from, thickness));
        };
        if (self.before != 0) {
            add(0, end + thickness);
        }
        if (self.after != 0) {
            add(start, along);
        }
    }
}

std::vector<QRect> BoxGlyphs::Block(std::uint8_t byte) const {
    const int w = cell.width();
    const int h = cell.height();
    switch (byte) {
    case kLowerHalf:
        return {QRect(0, h / 2, w, h - h / 2)};
    case kLeftHalf:
        return {QRect(0, 0, w / 2, h)};
    case kRightHalf:
        return {QRect(w / 2, 0, w - w / 2, h)};
    case kUpperHalf:
        return {QRect(0, 0, w, h / 2)};
    case kSmallSquare: {
        // five eighths of the width, seven sixteenths of the height, as the code page draws it
        const int side = std::max(1, w * 5 / 8);
        const int high = std::max(1, h * 7 / 16);
        return {QRect((w - side) / 2, (h - high) / 2, side, high)};
    }
    default: // the full block and the shades
        return {QRect(0, 0, w, h)};
    }
}

std::vector<QRect> BoxGlyphs::Rectangles(std::uint8_t byte) const {
    if (byte < kFirstLine || byte > kLastLine) {
        return Covers(byte) ? Block(byte) : std::vector<QRect>{};
    }
    const LineArms& arms = kLines[byte - kFirstLine];
    const Arms vertical{arms.up, arms.down};
    const Arms horizontal{arms.left, arms.right};
    std::vector<QRect> out;
    AddLines(out, vertical, horizontal, true);
    AddLines(out, horizontal, vertical, false);
    return out;
}

void BoxGlyphs::Draw(QPainter& painter, QPoint topLeft, std::uint8_t byte,
                     const QColor& ink) const {
    QColor shade = ink;
    if (byte >= kLightShade && byte <= kDarkShade) {
        // a quarter, a half and three quarters of the ink over the background
        shade.setAlphaF(ink.alphaF() * static_cast<float>(byte - kLightShade + 1) / 4.0F);
    }
    for (const QRect& rect : Rectangles(byte)) {
        painter.fillRect(rect.translated(topLeft), shade);
    }
}

} // namespace t8
