#include "tests/ui/WindowFixture.h"

#include "commands/CommandIds.h"

#include <QAction>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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

// Black on white, as an operator may keep them in the settings.
class TerminalWindowTest : public WindowTest {
protected:
    void SetUp() override {
        Store("TTY/FontColor", 0);
        Store("TTY/BackColor", 0xFFFFFF);
        WindowTest::SetUp();
    }
    // Change font with `font` chosen and the text colour kept; the screen is cleared after it.
    void ChooseFont(const QFont& font) {
        modals.Then<QFontDialog>([font](QFontDialog* dialog) {
            dialog->setCurrentFont(font);
            dialog->accept();
        });
        modals.Then<QColorDialog>([](QColorDialog* dialog) { dialog->accept(); });
        frame->Action(cmd::kChangeFont)->trigger();
        ASSERT_TRUE(modals.Done());
    }
    // The device sends `text`; returns once the first row shows it.
    void Shown(const std::string& text) {
        ASSERT_TRUE(pty.WriteAll(text));
        ASSERT_TRUE(WaitFor([&] { return RowText(0, static_cast<int>(text.size())) == text; }));
    }
    // The cell the view lays its font out on: an M's advance wide, a line high.
    [[nodiscard]] QSize Cell() const {
        const QFontMetrics metrics(view->TerminalFont(), view->viewport());
        return {std::max(1, metrics.horizontalAdvance(QChar('M'))),
                std::max(1, metrics.height() + metrics.leading())};
    }
    [[nodiscard]] int Columns() const { return static_cast<int>(view->ScreenRow(0).size()); }
};

TEST_F(TerminalWindowTest, EveryGlyphSitsOnItsCellAtEveryOfferedFontSize) {
    const QString family = "DejaVu Sans Mono";
    ASSERT_TRUE(QFontDatabase::hasFamily(family));
    const QList<int> sizes = QFontDatabase::pointSizes(family); // what the font dialog offers
    ASSERT_TRUE(sizes.contains(8) && sizes.contains(20));
    frame->resize(1500, 500);
    for (const int size : sizes) {
        ChooseFont(QFont(family, size));
        const int columns = Columns();
        const int cell = Cell().width();
        ASSERT_GE(columns, 20) << size;
        Shown(std::string(static_cast<std::size_t>(columns), '|'));
        ASSERT_EQ(
            std::pair(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()),
            std::pair(0, 0));

        const std::vector<double> bars = InkCentres(Painted(), 0, Cell().height());
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
    for (const auto& [underline, strikeOut] : {std::pair(true, false), std::pair(false, true)}) {
        QFont font = view->TerminalFont();
        font.setUnderline(underline);
        font.setStrikeOut(strikeOut);
        ChooseFont(font);
        Shown("ab   cd");
        const QImage page = Painted();
        const int rowWidth = Columns() * Cell().width();
        int lineRows = 0; // pixel rows of the first text row dark from end to end
        for (int y = 0; y < Cell().height(); ++y) {
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
    ASSERT_TRUE(WaitFor([&] { return RowText(0, 15) == "after the bells"; }, 20000));
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(view->BellsRung(), 1);
    EXPECT_LE(view->BellsRung(), 1 + elapsed / 100);
}

// A flood taken faster than it can be shown: what scrolled away unseen still rang its bell, and
// the screen holds the flood's last lines in order, wrapped where they were too long.
TEST_F(TerminalWindowTest, AFloodEndsWithItsLastLinesInOrderAndItsBellRung) {
    std::string flood = "\a";
    for (int line = 0; line < 20000; ++line) {
        char number[16];
        std::snprintf(number, sizeof number, "line %05d ", line);
        flood += number + std::string(static_cast<std::size_t>(line % 150), 'x') + "\r\n";
    }
    ASSERT_TRUE(pty.WriteAll(flood + "end"));
    int endRow = -1;
    ASSERT_TRUE(WaitFor([&] {
        for (int row = 0; !view->ScreenRow(row).empty(); ++row) {
            endRow = RowText(row, 4) == "end " ? row : endRow;
        }
        return endRow >= 0;
    }));
    EXPECT_EQ(view->BellsRung(), 1);
    int expected = 19999;
    for (int row = endRow - 1; row >= 0; --row) {
        const std::string text = view->ScreenRow(row);
        if (text.starts_with("line ")) {
            ASSERT_EQ(std::stoi(text.substr(5, 5)), expected--) << "row " << row;
        } else {
            ASSERT_EQ(text.find_first_not_of("x "), std::string::npos) << "row " << row;
        }
    }
    EXPECT_LT(expected, 19999 - 50) << "the rows above hold many lines";
}

// A face that is not installed is shown in the system's fixed font: the font dialog opens on
// that font, upright, and accepting it keeps the stored name.
TEST_F(TerminalWindowTest, TheFontDialogOffersTheFixedFontAMissingFaceIsShownIn) {
    const QFontInfo shown(view->TerminalFont());
    QFont offered;
    modals.Then<QFontDialog>([&](QFontDialog* dialog) {
        offered = dialog->currentFont();
        dialog->accept();
    });
    modals.Then<QColorDialog>([](QColorDialog* dialog) { dialog->accept(); });
    frame->Action(cmd::kChangeFont)->trigger();
    ASSERT_TRUE(modals.Done());
    EXPECT_TRUE(shown.fixedPitch());
    EXPECT_EQ(offered.family(), shown.family());
    EXPECT_FALSE(offered.italic()) << offered.styleName().toStdString();
    EXPECT_EQ(offered.weight(), QFont::Normal) << offered.styleName().toStdString();
    frame.reset();
    EXPECT_EQ(Stored("TTY/Font").toString(), "FixedSys");
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
    ASSERT_TRUE(WaitFor([&] { return RowText(1, 1) == ">"; }));
    EXPECT_EQ(RowText(0, static_cast<int>(greeting.size())), greeting);
    EXPECT_EQ(frame->PositionText(), "Ln 1, Col 1");
    EXPECT_EQ(Columns(), view->viewport()->width() / Cell().width());
}

// A dark desktop palette leaves the terminal alone: with no colours stored it paints black on
// white, and saves those, not the palette's.
class DarkPaletteTest : public TerminalWindowTest {
protected:
    void SetUp() override {
        QPalette dark = saved;
        dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x28));
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x28));
        dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
        QApplication::setPalette(dark);
        WindowTest::SetUp(); // nothing stored
    }
    void TearDown() override {
        QApplication::setPalette(saved);
        TerminalWindowTest::TearDown();
    }
    const QPalette saved = QApplication::palette();
};

TEST_F(DarkPaletteTest, TheTerminalKeepsItsOwnColours) {
    Shown("MMMM");
    const QImage page = Painted();
    QRgb darkest = qRgb(255, 255, 255);
    for (int x = 0; x < Cell().width() * 4; ++x) {
        for (int y = 0; y < Cell().height(); ++y) {
            darkest = qGray(page.pixel(x, y)) < qGray(darkest) ? page.pixel(x, y) : darkest;
        }
    }
    EXPECT_EQ(QColor(page.pixel(page.width() - 1, page.height() - 1)), QColor(Qt::white));
    EXPECT_EQ(QColor(darkest), QColor(Qt::black));
    frame.reset();
    EXPECT_EQ(Stored("TTY/BackColor").toInt(), 0xFFFFFF);
}

} // namespace
} // namespace t8::test
