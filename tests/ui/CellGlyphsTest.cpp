#include "terminal/ui/CellGlyphs.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace t8::test {
namespace {

// The sizes operators use, each at one and two device pixels per pixel.
struct Scale {
    int points;
    qreal ratio;
};
constexpr Scale kScales[] = {{8, 1}, {11, 1}, {14, 1}, {20, 1}, {8, 2}, {11, 2}, {14, 2}, {20, 2}};

// Rows of CP437 bytes drawn on the view's cells, black on white.
QImage Render(const Scale& scale, const std::vector<std::string>& rows) {
    const QFont font("DejaVu Sans Mono", scale.points);
    const QSize cell = CellGlyphs::CellSize(font, nullptr);
    CellGlyphs glyphs;
    glyphs.Build(font, true, cell);
    const int columns = static_cast<int>(rows.front().size());
    const QSize logical(columns * cell.width(), static_cast<int>(rows.size()) * cell.height());
    QImage page(logical * scale.ratio, QImage::Format_RGB32);
    page.setDevicePixelRatio(scale.ratio);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setPen(Qt::black);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int top = static_cast<int>(row) * cell.height();
        painter.setClipRect(0, top, logical.width(), cell.height()); // as the view clips a row
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(rows[row].data());
        glyphs.DrawRow(painter, QPointF(0, top), {bytes, rows[row].size()});
    }
    return page;
}

bool Ink(const QImage& page, int x, int y) {
    return qGray(page.pixel(x, y)) < 128;
}

// The areas of background the ink closes off from each other (four-connected).
int BackgroundAreas(const QImage& page) {
    constexpr std::array<std::pair<int, int>, 4> kSteps{{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
    std::vector<bool> seen(static_cast<std::size_t>(page.width() * page.height()));
    int areas = 0;
    for (int start = 0; start < page.width() * page.height(); ++start) {
        if (seen[start] || Ink(page, start % page.width(), start / page.width())) {
            continue;
        }
        ++areas;
        std::vector<int> stack{start};
        seen[start] = true;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int x = at % page.width();
            const int y = at / page.width();
            for (const auto& [dx, dy] : kSteps) {
                const int nx = x + dx;
                const int ny = y + dy;
                const int next = ny * page.width() + nx;
                if (nx >= 0 && ny >= 0 && nx < page.width() && ny < page.height() && !seen[next] &&
                    !Ink(page, nx, ny)) {
                    seen[next] = true;
                    stack.push_back(next);
                }
            }
        }
    }
    return areas;
}

// Each figure closes off as many areas of background as its picture has: a line splits its
// row or column in two, a box closes its inside. A gap between rows or cells, a corner or tee
// that misses its neighbour, or a block short of its cell lets two areas run together.
TEST(CellGlyphsTest, LinesBoxesAndBlocksJoinAcrossCellsAndRows) {
    ASSERT_TRUE(QFontDatabase::hasFamily("DejaVu Sans Mono"));
    struct Figure {
        std::vector<std::string> rows;
        int areas;
    };
    const Figure figures[] = {
        {{"\xB3", "\xB3", "\xB3"}, 2},
        {{"\xBA", "\xBA"}, 3}, // the two lines' sides and the channel between them
        {{"\xC4\xC4\xC4\xC4"}, 2},
        {{"\xCD\xCD\xCD"}, 3},
        {{"\xDB\xDB", "\xDB\xDB"}, 0},
        {{"\xDC\xDC", "\xDF\xDF"}, 2},
        {{"\xDE\xDD"}, 2},
        {{"\xDA\xC4\xBF", "\xB3 \xB3", "\xC0\xC4\xD9"}, 2},
        {{"\xDA\xC2\xBF", "\xC3\xC5\xB4", "\xC0\xC1\xD9"}, 5},
        {{"\xC9\xCD\xBB", "\xBA \xBA", "\xC8\xCD\xBC"}, 3},
        // four quarters, the channels between the lines, the outside
        {{"\xC9\xCB\xBB", "\xCC\xCE\xB9", "\xC8\xCA\xBC"}, 6},
        {{"\xC9\xD1\xBB", "\xC7\xC5\xB6", "\xC8\xCF\xBC"}, 6},
        // light lines crossing double ones close the channels: one along the top and the
        // bottom line each, two along the middle one
        {{"\xD5\xD1\xB8", "\xC6\xD8\xB5", "\xD4\xCF\xBE"}, 9},
        {{"\xD6\xD2\xB7", "\xC7\xD7\xB6", "\xD3\xD0\xBD"}, 9},
    };
    for (const Scale& scale : kScales) {
        for (const Figure& figure : figures) {
            EXPECT_EQ(BackgroundAreas(Render(scale, figure.rows)), figure.areas)
                << scale.points << " pt at " << scale.ratio << "x, figure " << &figure - figures;
        }
    }
}

} // namespace
} // namespace t8::test
