// A flood's text that later text hides from the screen is only overrun, never drawn: on random
// device text in random shapes and options, the screen after the hidden part was overrun and the
// rest shown must be the screen after all of it was shown, down to the cursor, the scroll
// state, the flags and the bells.
#include "link/HiddenText.h"
#include "terminal/OverrunEffects.h"
#include "terminal/ScreenModel.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace t8::test {
namespace {

// A model with its record, and a host that counts the bells and passes a wrap's line feed back
// in, as the link does.
class Screen : public ScreenHost {
public:
    Screen() : model(tty, flags, *this) {}

    void Show(const std::uint8_t* bytes, std::size_t count) {
        const std::vector<std::uint8_t> copy(bytes, bytes + count);
        model.Process(copy.data(), copy.size());
    }
    void Beep() override { ++bells; }
    void ReinjectLineFeed(std::size_t) override {
        const std::uint8_t lineFeed = 0x0A;
        model.Process(&lineFeed, 1);
    }
    void PromptCharacter(std::uint8_t) override {}
    void PromptBackspace() override {}

    TTYInfo tty;
    LinkFlags flags;
    ScreenModel model;
    std::size_t bells = 0;
};

// Lines of every length, many of them, with the control bytes the screen acts on among them:
// after one line in `oneIn` on average, so that in some floods the last bell, prompt or XOFF
// comes long before the end.
std::vector<std::uint8_t> FloodText(std::mt19937& random, std::size_t count, unsigned oneIn = 4) {
    static constexpr std::array<std::uint8_t, 10> kSpecial{'\r', '\n', '\n', '\b', '\a',
                                                           0x11, 0x13, '>',  0x00, 0xFF};
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count) {
        for (auto length = random() % 100; length > 0; --length) {
            const auto glyph = static_cast<std::uint8_t>(0x20 + random() % 0x5F);
            bytes.push_back(glyph == '>' ? '#' : glyph); // the prompt only where chosen
        }
        if (random() % oneIn == 0) {
            bytes.push_back(kSpecial[random() % kSpecial.size()]);
        }
        const std::array<std::uint8_t, 2> lineEnd{'\r', '\n'};
        bytes.insert(bytes.end(), lineEnd.begin(), lineEnd.begin() + 1 + random() % 2);
    }
    return bytes;
}

std::deque<ReceivedEvent> Blocks(std::mt19937& random, const std::vector<std::uint8_t>& text) {
    std::deque<ReceivedEvent> events;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = std::min<std::size_t>(1 + random() % 2048, text.size() - at);
        events.push_back(
            {ReceivedEvent::Kind::Data, {text.begin() + at, text.begin() + at + length}});
        at += length;
    }
    return events;
}

auto Fields(const Screen& s) {
    const ScreenState& v = s.tty.screen;
    return std::tuple(v.maxScrollX, v.maxScrollY, v.scrollX, v.scrollY, v.column, v.row, v.rows,
                      v.columns, v.visibleRows, s.flags.promptSeen, s.flags.txAllowed, s.bells);
}

// Every byte of `flood` to `shown`; to `skipped`, the hidden part only overrun, the rest shown, as
// the window's dispatch does. Returns whether any text was hidden.
bool ShowBoth(Screen& shown, Screen& skipped, const std::deque<ReceivedEvent>& flood) {
    for (const ReceivedEvent& block : flood) {
        shown.Show(block.bytes.data(), block.bytes.size());
    }
    const auto from = FirstShownPoint(flood, skipped.model.HidingLineFeeds());
    for (std::size_t i = 0; i < flood.size(); ++i) {
        const auto& bytes = flood[i].bytes;
        const std::size_t hidden = HiddenBytes(from, i, bytes.size());
        skipped.model.Overrun(bytes.data(), hidden);
        skipped.Show(bytes.data() + hidden, bytes.size() - hidden);
    }
    return from.has_value();
}

TEST(ScreenOverrun, HiddenTextLeavesTheScreenAsShowingItWould) {
    int overrun = 0;
    for (unsigned seed = 0; seed < 120; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto shown = std::make_unique<Screen>();
        const auto skipped = std::make_unique<Screen>();
        const auto cellWidth = static_cast<std::int32_t>(1 + random() % 12);
        const auto cellHeight = static_cast<std::int32_t>(1 + random() % 12);
        const auto width = static_cast<std::int32_t>(random() % 1600);
        const auto height = static_cast<std::int32_t>(random() % 800);
        const auto option = [&] { return static_cast<std::uint32_t>(random() % 2); };
        const std::array<std::uint32_t, 3> options{option(), option(), option()};
        // What was on the screen before: the cursor anywhere, the view scrolled anywhere.
        const std::array<unsigned, 3> rates{4, 60, 600};
        auto before = FloodText(random, random() % 9000, rates[seed % 3]);
        for (auto column = random() % 150; column > 0; --column) {
            before.push_back('#'); // the cursor left in mid-row
        }
        const bool cleared = random() % 3 == 0;
        const auto scrollY = static_cast<std::int32_t>(random() % 3000);
        for (Screen* side : {shown.get(), skipped.get()}) {
            side->tty.com.comNewLine = options[0];
            side->tty.com.comAutoWrap = options[1];
            side->tty.com.flowCtrl = options[2] != 0 ? kFlowXonXoff : 0;
            side->model.SetCellSize(cellWidth, cellHeight);
            side->model.Resize(width, height);
            side->Show(before.data(), before.size());
            if (cleared) {
                side->model.Clear();
            }
            side->tty.screen.scrollY = scrollY;
        }
        auto text = FloodText(random, 20000 + random() % 60000, rates[seed % 3]);
        if (seed % 4 == 0) {
            // Ends in more empty lines than the buffer holds: nothing drawn after the hidden part.
            static constexpr std::array<std::uint8_t, 5> kUndrawn{'\a', '\b', 0x11, 0x13, '\r'};
            for (auto line = skipped->model.HidingLineFeeds() + random() % 40; line > 0; --line) {
                text.push_back(random() % 3 == 0 ? kUndrawn[random() % kUndrawn.size()] : '\r');
                text.push_back('\n');
            }
        }
        overrun += ShowBoth(*shown, *skipped, Blocks(random, text)) ? 1 : 0;
        ASSERT_EQ(shown->tty.screen.cells, skipped->tty.screen.cells);
        ASSERT_EQ(Fields(*shown), Fields(*skipped));
        ASSERT_EQ(shown->model.CaretPosition(), skipped->model.CaretPosition());
    }
    EXPECT_GT(overrun, 60) << "most floods hide some of their text";
}

std::deque<ReceivedEvent> Events(const std::vector<std::string>& blocks) {
    std::deque<ReceivedEvent> events;
    for (const std::string& block : blocks) {
        events.push_back({ReceivedEvent::Kind::Data, {block.begin(), block.end()}});
    }
    return events;
}

TEST(ScreenOverrun, TheCarriageReturnBeforeTheHidingLineFeeds) {
    using Point = std::tuple<std::size_t, std::size_t>;
    const auto at = [](const std::deque<ReceivedEvent>& events, std::size_t lineFeeds) {
        const auto point = FirstShownPoint(events, lineFeeds);
        return point ? Point(point->event, point->offset) : Point(99, 99);
    };
    EXPECT_EQ(at(Events({"a\r\nb\r\n", "c\n", "d\ne\n"}), 3), Point(0, 4));
    EXPECT_EQ(at(Events({"a\r", "b\n\n", "c\n"}), 3), Point(0, 1)) << "in an earlier block";
    EXPECT_EQ(at(Events({"a\r", "b\n\n", "c\n"}), 4), Point(99, 99)) << "too few line feeds";
    EXPECT_EQ(at(Events({"\rb\n\n", "c\n"}), 2), Point(99, 99)) << "nothing before it";
    EXPECT_EQ(at(Events({"a\nb\n\n", "c\n"}), 2), Point(99, 99)) << "no carriage return";
    EXPECT_EQ(at(Events({"a\r\nb\r\n"}), 0), Point(99, 99)) << "every byte to be shown";
    auto lost = Events({"a\r\nb\r\n", "c\n", "d\ne\n"});
    lost.insert(lost.begin() + 1, ReceivedEvent{ReceivedEvent::Kind::CommError, {}, 5});
    EXPECT_EQ(at(lost, 3), Point(99, 99)) << "an error goes as it comes";

    const std::string bells = "\a>x\a\x13y\x11\x13z";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(bells.data());
    const OverrunEffects flow = FindOverrunEffects(bytes, bells.size(), true, '>');
    EXPECT_EQ(std::tuple(flow.bells, flow.prompt, flow.flowControl.value_or(0)),
              std::tuple(2U, true, 0x13));
    const OverrunEffects plain = FindOverrunEffects(bytes + 2, 5, false, '>');
    EXPECT_EQ(std::tuple(plain.bells, plain.prompt, plain.flowControl.has_value()),
              std::tuple(1U, false, false));
}

std::string Times(int count, const std::string& text) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

// Window shapes and views the random floods seldom reach: the view scrolled back to the top when
// a flood ends in empty lines, a window less than two rows high, one column, the widest row.
TEST(ScreenOverrun, EdgeShapesAndViewsEndAsShowingEverything) {
    struct Case {
        std::int32_t width;
        std::int32_t height;
        std::string before;
        std::string flood;
    };
    const std::string screenful = Times(300, "row\r\n");
    const std::string emptyLines = Times(1000, "\r\n");
    const std::vector<Case> cases{
        {640, 400, screenful, "x\r\n" + emptyLines},
        {640, 400, screenful, "x\r\n" + Times(1000, "\a\r\n")},
        {640, 400, "", Times(300, "x\r\n") + emptyLines},
        {640, 20, "", Times(300, "x\r\n") + emptyLines},
        {640, 20, screenful, "x\r\n" + emptyLines},
        {8, 400, "", Times(40000, "ab\r\n")},
        {48000, 400, screenful, Times(5, "ab\r\n")},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        const auto shown = std::make_unique<Screen>();
        const auto skipped = std::make_unique<Screen>();
        for (Screen* side : {shown.get(), skipped.get()}) {
            side->model.SetCellSize(8, 16);
            side->model.Resize(c.width, c.height);
            side->Show(reinterpret_cast<const std::uint8_t*>(c.before.data()), c.before.size());
            side->model.Scroll(ScrollOrientation::Vertical, static_cast<int>(ScrollCode::Top), 0);
        }
        // Under two rows high every byte is shown; otherwise the text is hidden.
        EXPECT_EQ(ShowBoth(*shown, *skipped, Events({c.flood})), c.height >= 2 * 16);
        EXPECT_EQ(shown->tty.screen.cells, skipped->tty.screen.cells);
        EXPECT_EQ(Fields(*shown), Fields(*skipped));
    }
}

} // namespace
} // namespace t8::test
