#include "tests/terminal/ScreenFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace t8::test {
namespace {

using ScreenProcessing = ScreenFixture;

TEST_F(ScreenProcessing, LineFeedScrollsTheBufferFromRow201At80Columns) {
    Shape(80, 10);
    ASSERT_EQ(tty.screen.rows, 203);
    Show("first\r\n" + std::string(200, '\n'));
    EXPECT_EQ(std::tuple(tty.screen.row, model.TopVisibleRow(), Text(0)),
              std::tuple(201, 192, "first"));
    Show("last\r\n");
    EXPECT_EQ(std::tuple(tty.screen.row, Text(0), Text(200), Text(202)),
              std::tuple(201, "", "last", ""));
}

TEST_F(ScreenProcessing, ControlCharactersFollowTheModesAndFlowControl) {
    const struct {
        std::uint32_t newLine, promptActive;
        std::uint8_t flow;
        const char* input;
        const char* state; // rows 0 and 1, cursor column, txAllowed, promptSeen, host calls
    } cases[] = {
        {0, 0, 0, "AB\rC", "CB| 1 1 0 "},
        {1, 0, 0, "AB\rC", "AB|C 1 1 0 "},
        {0, 0, 0, "\b\t\x01\x80\x0c\a\b\b", "\t\x01\x80\x0c| 2 1 0 <bell>"},
        {0, 0, 0, "x\x13", "x\x13| 2 1 0 "},
        {0, 0, kFlowXonXoff, "a\x13", "a| 1 0 0 "},
        {0, 0, kFlowXonXoff, "\x13\x11", "| 0 1 0 "},
        {0, 0, 0, "a>\b", "a>| 1 1 1 "},
        {0, 1, 0, "12\b3>", "13>| 3 1 1 12<bs>3>"},
    };
    for (const auto& c : cases) {
        Reset(c.newLine, 1, c.flow);
        tty.transfer.addressPromptActive = c.promptActive;
        Shape(80, 10);
        Show(c.input);
        EXPECT_EQ(Text(0) + "|" + Text(1) + " " + std::to_string(tty.screen.column) + " " +
                      std::to_string(flags.txAllowed) + " " + std::to_string(flags.promptSeen) +
                      " " + hostCalls,
                  c.state);
    }
}

TEST_F(ScreenProcessing, EightyFiveCharactersWrapOrOverwriteTheLastColumn) {
    std::string line;
    for (int i = 0; i < 85; ++i) {
        line += static_cast<char>('A' + i % 26);
    }
    const std::string wrapped = line.substr(0, 80) + "|" + line.substr(80);
    using Wraps = std::vector<std::size_t>;
    // new-line mode wraps the same way, so the continuation does not overwrite the row
    for (const auto& [autoWrap, newLine, rows, wrapPoints] :
         {std::tuple(1u, 0u, wrapped, Wraps{80}), std::tuple(1u, 1u, wrapped, Wraps{80}),
          std::tuple(0u, 0u, line.substr(0, 79) + line[84] + "|", Wraps{})}) {
        Reset(newLine, autoWrap, 0);
        Shape(80, 10);
        Show(line);
        EXPECT_EQ(Text(0) + "|" + Text(1), rows) << autoWrap << newLine;
        EXPECT_EQ(wraps, wrapPoints) << autoWrap << newLine;
    }
}

// Capture puts each wrap's line feed behind the byte that filled the row, so the model says
// where in its block the wrap came, past nested wraps and the copying in chunks.
TEST_F(ScreenProcessing, WrapsReportWhereInTheBlockTheyHappen) {
    Shape(80, 10);
    Show(std::string(200, 'a') + "\r\n" + std::string(98, '\0'));
    EXPECT_EQ(wraps, (std::vector<std::size_t>{80, 160, 282}));
    EXPECT_EQ(std::tuple(tty.screen.row, tty.screen.column, Text(3)),
              std::tuple(4, 18, std::string(80, '\0')));

    Reset(0, 1, 0);
    Shape(1000, 4);
    Show(std::string(2 * ScreenModel::kProcessChunk + 500, 'b'));
    EXPECT_EQ(wraps, (std::vector<std::size_t>{1000, 2000, 3000, 4000}));
}

TEST_F(ScreenProcessing, WrapLineFeedMayReuseTheCallersBuffer) {
    Shape(80, 10);
    Show(std::string(79, '.'));
    Show("XY"); // X wraps; the link's buffer then holds the line feed and its zero byte
    EXPECT_EQ(Text(1), "Y");
}

TEST_F(ScreenProcessing, BlocksSplitAnywhereGiveTheSameScreen) {
    std::string data;
    for (int i = 0; i < 60; ++i) {
        data += "line " + std::to_string(i) + "\tx\x13y\x11\a\b>\r\n";
        data += i == 30 ? std::string(1100, 'w') : ""; // wraps once at 1000 columns
    }
    ASSERT_GT(data.size(), ScreenModel::kProcessChunk);
    const auto run = [&](std::size_t split) {
        Reset(0, 1, kFlowXonXoff);
        Shape(1000, 4); // 15 rows: the buffer scrolls, and so does the view
        Show(std::string_view(data).substr(0, split));
        Show(std::string_view(data).substr(split));
        return tty;
    };
    const TTYInfo whole = run(data.size());
    ASSERT_EQ(whole.screen.row, whole.screen.rows - 2);
    for (std::size_t split = 0; split < data.size(); ++split) {
        const TTYInfo parts = run(split);
        ASSERT_EQ(parts.screen.cells, whole.screen.cells) << "split at " << split;
        ASSERT_EQ(std::tuple(parts.screen.row, parts.screen.column, parts.screen.scrollY),
                  std::tuple(whole.screen.row, whole.screen.column, whole.screen.scrollY));
    }
}

TEST_F(ScreenProcessing, DamageIsCoalescedUntilTaken) {
    Shape(80, 10);
    Show("\n\n\nab");
    EXPECT_TRUE(model.TakeDamage().erase);
    EXPECT_TRUE(model.TakeDamage().IsEmpty());
    model.Scroll(ScrollOrientation::Vertical, static_cast<int>(ScrollCode::ThumbPosition), 32);
    Show("cd");
    const ScreenDamage damage = model.TakeDamage();
    EXPECT_FALSE(damage.wholeClient);
    EXPECT_EQ(damage.scrolledY, -32);
    EXPECT_EQ(damage.cells, (PixelRect{16, 16, 32, 32})); // where the cells are shown now
    Show("\n");
    EXPECT_TRUE(model.TakeDamage().wholeClient);
}

} // namespace
} // namespace t8::test
