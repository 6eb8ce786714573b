#include "tests/ui/WindowFixture.h"

#include "settings/FontMapping.h"

#include <QFontDatabase>
#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace t8::test {
namespace {

using Clock = std::chrono::steady_clock;

// The ink-weighted centre of each run of dark columns in a band of rows of `page`.
std::vector<double> InkCentres(const QImage& page, int top, int height) {
    std::vector<double> centres;
    double weight = 0;
    double moment = 0;
    for (int x = 0; x <= page.width(); ++x) {
        int ink = 0;
        for (int y = top; x < page.width() && y < top + height; ++y) {
            ink = std::max(ink, 255 - qGray(page.pixel(x, y)));
        }
        if (ink > 48) {
            weight += ink;
            moment += ink * (x + 0.5);
        } else if (weight > 0) {
            centres.push_back(moment / weight);
            weight = moment = 0;
        }
    }
    return centres;
}

class TerminalWindowTest : public WindowTest {
protected:
    [[nodiscard]] TTYInfo& Tty() { return *view->Link().Record(); }
    void Shown(const std::string& bytes) {
        view->Link().ShowReceived(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                  bytes.size());
    }
};

TEST_F(TerminalWindowTest, EveryGlyphSitsOnItsCellAtEveryOfferedFontSize) {
    const QString family = "DejaVu Sans Mono";
    ASSERT_TRUE(QFontDatabase::hasFamily(family));
    const QList<int> sizes = QFontDatabase::pointSizes(family); // what the font dialog offers
    ASSERT_TRUE(sizes.contains(8) && sizes.contains(20));
    frame->resize(1500, 500);
    Tty().textColour = 0;        // black on
    Tty().backColour = 0xFFFFFF; // white
    for (const int size : sizes) {
        Tty().logFont = LogFontFromFont(QFont(family, size));
        view->BuildFont();
        view->ClearScreen();
        const int columns = Tty().columns;
        const int cell = Tty().charWidth;
        ASSERT_GE(columns, 20) << size;
        Shown(std::string(static_cast<std::size_t>(columns), '|'));
        ASSERT_EQ(std::pair(Tty().scrollX, Tty().scrollY), std::pair(0, 0));

        const std::vector<double> bars = InkCentres(Painted(), 0, Tty().charHeight);
        ASSERT_EQ(bars.size(), static_cast<std::size_t>(columns))
            << size << " pt: one bar in every column, the last one included";
        for (int column = 0; column < columns; ++column) {
            const double middle = (column + 0.5) * cell;
            ASSERT_NEAR(bars[static_cast<std::size_t>(column)], middle, cell / 4.0 + 0.5)
                << size << " pt, column " << column << " of " << columns;
        }
    }
}

TEST_F(TerminalWindowTest, UnderlineAndStrikeOutRunUnderEveryCellOfTheRow) {
    Tty().textColour = 0;
    Tty().backColour = 0xFFFFFF;
    for (const auto& [underline, strikeOut] : {std::pair(1, 0), std::pair(0, 1)}) {
        Tty().logFont.underline = static_cast<std::uint8_t>(underline);
        Tty().logFont.strikeOut = static_cast<std::uint8_t>(strikeOut);
        view->BuildFont();
        view->ClearScreen();
        Shown("ab   cd");
        const QImage page = Painted();
        const int rowWidth = Tty().columns * Tty().charWidth;
        int lineRows = 0; // pixel rows of the first text row dark from end to end
        for (int y = 0; y < Tty().charHeight; ++y) {
            int dark = 0;
            for (int x = 0; x < rowWidth; ++x) {
                dark += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
            }
            lineRows += dark == rowWidth ? 1 : 0;
        }
        EXPECT_GE(lineRows, 1) << "underline " << underline << ", strike-out " << strikeOut;
    }
}

TEST_F(TerminalWindowTest, ABellFloodRingsAtMostOncePerTenthOfASecond) {
    const auto start = Clock::now();
    ASSERT_TRUE(pty.WriteAll(std::string(20000, '\a') + "after the bells"));
    ASSERT_TRUE(
        WaitFor([&] { return RowText(*view->Screen(), 0, 15) == "after the bells"; }, 20000));
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(view->BellsRung(), 1);
    EXPECT_LE(view->BellsRung(), 1 + elapsed / 100);
}

// A window that is not shown yet has a placeholder size of a few columns; the shape it takes
// when shown reaches the screen model, whose tests cover what a change of shape keeps.
class WindowBeforeShowTest : public TerminalWindowTest {
protected:
    void SetUp() override { Create(); }
};

TEST_F(WindowBeforeShowTest, TextFromBeforeTheFirstShowIsLaidOutAtTheRealSize) {
    const std::string greeting = "T8 universal programmer, firmware 4.2";
    ASSERT_TRUE(pty.WriteAll(greeting + "\r\n>"));
    QTest::qWait(500); // the reader has passed it on
    Show();
    ASSERT_TRUE(WaitFor([&] { return RowText(*view->Screen(), 1, 1) == ">"; }));
    EXPECT_EQ(RowText(*view->Screen(), 0, static_cast<int>(greeting.size())), greeting);
    EXPECT_EQ(std::pair(Tty().row, Tty().column), std::pair(1, 1));
    EXPECT_EQ(Tty().columns, view->viewport()->width() / Tty().charWidth);
}

} // namespace
} // namespace t8::test
