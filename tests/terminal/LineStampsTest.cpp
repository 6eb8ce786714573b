#include "tests/terminal/ScreenFixture.h"

#include "terminal/CaptureStamps.h"
#include "terminal/LineStamps.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace t8::test {
namespace {

// The screen fed through the stamps as the view feeds it, a wrap's line feed coming back in
// nested; the clock is the test's.
class LineStampsTest : public ScreenFixture {
protected:
    void Feed(std::string_view bytes) {
        const std::string copy(bytes);
        stamps.Feed(reinterpret_cast<const std::uint8_t*>(copy.data()), copy.size(), now,
                    [this](const std::uint8_t* piece, std::size_t count, std::size_t offset) {
                        const std::size_t outer = std::exchange(pieceOffset, offset);
                        model.Process(piece, count);
                        pieceOffset = outer;
                    });
    }
    // Where in its block each wrap happened, as the view tells the capture.
    void ReinjectLineFeed(std::size_t shown) override {
        wrapsAt.push_back(pieceOffset + shown);
        Feed("\n");
    }
    // Each row showing "L<n>" carries the time n seconds, and no other row has a time.
    void ExpectTimesFollowTheText() {
        for (int row = 0; row < tty.screen.rows; ++row) {
            const std::string text = Text(row);
            const auto time = stamps.At(row);
            if (text.starts_with("L")) {
                ASSERT_TRUE(time.has_value()) << "row " << row << " " << text;
                EXPECT_EQ(*time, std::stoi(text.substr(1)) * 1000) << "row " << row;
            } else {
                EXPECT_FALSE(time.has_value()) << "row " << row << " " << text;
            }
        }
    }
    // Lines "L<first>" .. "L<last>", each sent at its own second.
    void Lines(int first, int last, const std::string& end = "\r\n") {
        for (int n = first; n <= last; ++n) {
            now = n * 1000;
            Feed("L" + std::to_string(n) + end);
        }
    }

    LineStamps stamps{tty};
    StampTime now = 0;
    std::size_t pieceOffset = 0;
    std::vector<std::size_t> wrapsAt;
};

TEST_F(LineStampsTest, ALineTakesTheTimeOfItsFirstCharacterOnly) {
    Reset(0, 1, 0);
    Shape(10, 20);
    stamps.Clear();
    now = 1000;
    Feed("\r\n0123456789abc"); // an empty line, and one that wraps onto a second row
    now = 2000;
    Feed("de\r"); // the rest of it later, and a return without a new line
    now = 3000;
    Feed("XY\n"); // overwrites the wrapped row's start, which gains no time
    Feed("\x07"); // a bell shows nothing
    now = 4000;
    Feed("next");
    EXPECT_EQ(wrapsAt, std::vector<std::size_t>{12}) << "counted in the whole block";
    EXPECT_EQ(Text(1), "0123456789");
    EXPECT_EQ(Text(2), "XYcde");
    EXPECT_FALSE(stamps.At(0).has_value());
    EXPECT_EQ(stamps.At(1), 1000);
    EXPECT_FALSE(stamps.At(2).has_value()) << "a wrapped line's second row";
    EXPECT_EQ(stamps.At(3), 4000) << "the bell begins nothing";
    EXPECT_FALSE(stamps.At(-1).has_value());
    EXPECT_FALSE(stamps.At(tty.screen.rows).has_value());
}

TEST_F(LineStampsTest, TimesStayWithTheirLinesAsTheBufferScrollsAndIsReshaped) {
    Reset(0, 1, 0);
    Shape(2048, 3); // 7 rows: the buffer scrolls soon
    stamps.Clear();
    Lines(0, 20);
    EXPECT_EQ(Text(4), "L20");
    ExpectTimesFollowTheText();

    Shape(4096, 3); // 3 rows: only the most recent fit
    EXPECT_EQ(Text(0), "L20");
    ExpectTimesFollowTheText();
    Lines(21, 22);
    ExpectTimesFollowTheText();

    Shape(1024, 3); // wider buffer: the rows stay, the new ones have no time yet
    Lines(23, 30);
    ExpectTimesFollowTheText();

    Feed("L99");
    model.Clear();
    stamps.Clear();
    ExpectTimesFollowTheText();
    now = 5000;
    Feed("L5");
    ExpectTimesFollowTheText();
}

TEST_F(LineStampsTest, InNewLineModeAReturnEndsTheLine) {
    Reset(1, 1, 0);
    Shape(2048, 3);
    stamps.Clear();
    Lines(0, 9, "\r");
    EXPECT_EQ(Text(0), "L5");
    ExpectTimesFollowTheText();
}

TEST(StampTextTest, TimesOfDayAndCapturesWithThem) {
    EXPECT_EQ(FormatStamp(0), "00:00:00.000");
    EXPECT_EQ(FormatStamp(((12 * 60 + 34) * 60 + 56) * 1000 + 789), "12:34:56.789");
    EXPECT_EQ(FormatStamp(24 * 3600 * 1000 - 1), "23:59:59.999");

    CaptureStamps capture;
    const std::string first = "ab\r\ncd";
    const std::string second = "e\n\nf";
    capture.Note(reinterpret_cast<const std::uint8_t*>(first.data()), first.size(), 1000);
    capture.Note(reinterpret_cast<const std::uint8_t*>(second.data()), second.size(), 62001);
    const std::string all = first + second;
    const std::vector<std::uint8_t> bytes(all.begin(), all.end());
    const auto stamped = capture.Stamped(bytes);
    EXPECT_EQ(std::string(stamped.begin(), stamped.end()),
              "00:00:01.000 ab\r\n00:00:01.000 cde\n00:01:02.001 \n00:01:02.001 f");
    // a store that was full holds less than was noted
    const auto cut = capture.Stamped(std::span(bytes).first(5));
    EXPECT_EQ(std::string(cut.begin(), cut.end()), "00:00:01.000 ab\r\n00:00:01.000 c");

    capture.Reset();
    capture.Note(bytes.data() + 5, 2, 7);
    const auto again = capture.Stamped(std::span(bytes).subspan(5, 2));
    EXPECT_EQ(std::string(again.begin(), again.end()), "00:00:00.007 de");
}

} // namespace
} // namespace t8::test
