#include "tests/terminal/ScreenFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace t8::test {
namespace {

using ScreenGeometry = ScreenFixture;

constexpr int Code(ScrollCode code) {
    return static_cast<int>(code);
}

TEST_F(ScreenGeometry, ResizeKeepsTheMostRecentRowsUpToTheCursorRow) {
    Shape(80, 10);
    Show("one\r\n" + std::string(80, 'x') + "cur" + std::string(60, 'c'));
    Shape(40, 10);
    const std::string x40(40, 'x');
    const std::string cursorRow = "cur" + std::string(37, 'c');
    EXPECT_EQ(std::tuple(tty.screen.rows, Text(0), Text(1), Text(2), Text(3)),
              std::tuple(408, "one", x40, cursorRow, ""));
    // pulled inside the width
    EXPECT_EQ(std::pair(tty.screen.row, tty.screen.column), std::pair(2, 39));
    Shape(80, 10);
    EXPECT_EQ(std::tuple(Text(1), Text(2), tty.screen.row), std::tuple(x40, cursorRow, 2))
        << "what a narrower shape cut off stays lost";

    Show("\r\n>typed");
    for (const int visibleRows : {3, 30, 1}) { // a change of height alone keeps every cell
        const auto before = tty.screen.cells;
        Shape(80, visibleRows);
        EXPECT_EQ(tty.screen.cells, before) << visibleRows;
        EXPECT_EQ(std::tuple(Text(3), tty.screen.row, tty.screen.column),
                  std::tuple(">typed", 3, 6));
    }

    for (int i = 0; i < 150; ++i) { // then far more rows than the wider shape holds
        Show("L" + std::to_string(i) + "\r\n");
    }
    Shape(200, 10);
    EXPECT_EQ(std::pair(tty.screen.rows, tty.screen.row), std::pair(80, 78));
    EXPECT_EQ(std::tuple(Text(0), Text(77), Text(79)), std::tuple("L72", "L149", ""));
}

TEST_F(ScreenGeometry, DegenerateClientAreasKeepAUsableShape) {
    Shape(80, 10);
    model.Resize(5, 160); // narrower than one cell
    EXPECT_EQ(std::pair(tty.screen.columns, tty.screen.rows), std::pair(80, 203));
    model.Scroll(ScrollOrientation::Horizontal, Code(ScrollCode::PageDown), 0);
    EXPECT_EQ(model.ScrollBar(ScrollOrientation::Horizontal), (ScrollBarState{635, 5, 5, 8}));

    model.Resize(8 * (ScreenModel::kMaxColumns + 10), 160);
    ASSERT_EQ(std::pair(tty.screen.columns, tty.screen.rows),
              std::pair(ScreenModel::kMaxColumns, 2));
    Show("a\r\nb\r\nc");
    EXPECT_EQ(std::pair(Text(0), Text(1)), std::pair(std::string("c"), std::string()));

    Shape(80, 10);
    model.Resize(640, 10); // lower than one cell: no row fits, the loops must still end
    ASSERT_EQ(tty.screen.visibleRows, 0);
    for (int i = 0; i < 150; ++i) {
        Show("row\r\n");
    }
    EXPECT_EQ(model.TopVisibleRow(), tty.screen.row - 1);
    Show("x");
    EXPECT_EQ(model.TopVisibleRow(), tty.screen.row);

    model.SetCellSize(ScreenModel::kMaxCellPixels * 4, 0);
    EXPECT_EQ(tty.screen.charWidth, ScreenModel::kMaxCellPixels);
    Show("\n\nno cell height");
    EXPECT_TRUE(model.PlanPaint({0, 0, 640, 160}).empty());
}

TEST_F(ScreenGeometry, ScrollCodesMoveWithinTheRange) {
    Shape(80, 10);
    ASSERT_EQ(tty.screen.maxScrollY, 3088);
    const struct {
        int code, thumb, from, expected;
    } cases[] = {
        {0, 0, 1000, 984},     {1, 0, 1000, 1016},    {2, 0, 1000, 840}, {3, 0, 1000, 1160},
        {4, 2000, 1000, 2000}, {5, 2000, 1000, 1000}, {6, 0, 1000, 0},   {7, 0, 1000, 3088},
        {9, 0, 1000, 1000},    {-1, 0, 1000, 1000},   {0, 0, 0, 0},      {4, 99999, 0, 3088},
        {3, 0, 3000, 3088},    {4, -5, 1000, 0},
    };
    for (const auto& c : cases) {
        model.Scroll(ScrollOrientation::Vertical, Code(ScrollCode::ThumbPosition), c.from);
        model.Scroll(ScrollOrientation::Vertical, c.code, c.thumb);
        EXPECT_EQ(tty.screen.scrollY, c.expected) << "code " << c.code << " from " << c.from;
    }
    EXPECT_EQ(model.ScrollBar(ScrollOrientation::Vertical), (ScrollBarState{3088, 0, 160, 16}));
    model.Scroll(ScrollOrientation::Vertical, Code(ScrollCode::Bottom), 0);
    model.Resize(640, 320);
    EXPECT_EQ(tty.screen.scrollY, 203 * 16 - 320);
}

TEST_F(ScreenGeometry, PaintPlanCoversAPartlyScrolledClientRectangle) {
    Shape(80, 10);
    Show("r0\r\nr1 text\r\nr2\r\nr3");
    model.Scroll(ScrollOrientation::Vertical, Code(ScrollCode::ThumbPosition), 20);
    const auto plan = model.PlanPaint({12, 10, 100, 40});
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(std::tuple(plan[0].row, plan[0].firstColumn, plan[0].lastColumn, plan[2].y),
              std::tuple(1, 1, 12, 28));
    EXPECT_EQ(plan[0].strip, (PixelRect{8, -4, 104, 12}));
    EXPECT_EQ(std::string(plan[0].cells.begin(), plan[0].cells.end()), "1 text      ");
    EXPECT_EQ(model.CaretPosition(), (PixelPoint{16, 28}));
    EXPECT_TRUE(model.PlanPaint({50, 50, 50, 90}).empty());
    const auto all = model.PlanPaint({-50, -50, 100000, 100000});
    ASSERT_EQ(all.size(), 202u); // row 0 lies wholly above the client
    EXPECT_EQ(std::pair(all.front().firstColumn, all.back().lastColumn), std::pair(0, 79));
}

} // namespace
} // namespace t8::test
