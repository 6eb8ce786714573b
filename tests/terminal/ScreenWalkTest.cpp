// The screen processing in runs of printable bytes, with its rows in a ring, against the plain
// walk one byte at a time that moves the whole buffer on each scroll: on random device text, in
// random shapes, options and pieces, also with the rows left turned across the blocks of a
// dispatch, the screen, cursor, scroll state, flags, damage and every call to the host must come
// out the same.
#include "terminal/ScreenModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace t8::test {
namespace {

using Walk = ScreenModel::Walk;

// One model with its record, and a host that logs what it is told together with the cursor and
// its row as the host would see them then. Like the link, it passes a wrap's line feed back in
// through the buffer the block came in. Every fifth call changes an option, as a transfer that
// starts or ends its prompt does; both sides change alike for as long as they agree.
class Side : public ScreenHost {
public:
    explicit Side(Walk walk) : model(tty, flags, *this, walk) {}

    void Show(const std::vector<std::uint8_t>& bytes) {
        block = bytes;
        block.push_back(0);
        model.Process(block.data(), bytes.size());
    }
    void Beep() override { Log("bell"); }
    void ReinjectLineFeed(std::size_t shown) override {
        Log("wrap after " + std::to_string(shown));
        block.assign({0x0A, 0});
        model.Process(block.data(), 1);
    }
    void PromptCharacter(std::uint8_t byte) override { Log("prompt " + std::to_string(byte)); }
    void PromptBackspace() override { Log("prompt backspace"); }

    TTYInfo tty;
    LinkFlags flags;
    ScreenModel model;
    std::vector<std::uint8_t> block;
    std::vector<std::string> calls;

private:
    void Log(const std::string& call) {
        const auto row = model.Row(tty.screen.row);
        calls.push_back(call + " at " + std::to_string(tty.screen.row) + "," +
                        std::to_string(tty.screen.column) + " seen " +
                        std::to_string(flags.promptSeen) + " row " +
                        std::string(row.begin(), row.end()));
        if (calls.size() % 5 == 0) {
            std::array<std::uint32_t*, 3> options{&tty.com.comAutoWrap, &tty.com.comNewLine,
                                                  &tty.transfer.addressPromptActive};
            *options[calls.size() / 5 % options.size()] ^= 1;
            if (calls.size() % 2 == 0) {
                tty.com.flowCtrl = static_cast<std::uint8_t>(tty.com.flowCtrl ^ kFlowXonXoff);
            }
        }
    }
};

// Text with runs of printable bytes of every length, among the control bytes the screen acts
// on and any other byte.
std::vector<std::uint8_t> DeviceBytes(std::mt19937& random, std::size_t count) {
    static constexpr std::array<std::uint8_t, 14> kSpecial{
        '\r', '\n', '\b', '\t', '\a', '\f', 0x11, 0x13, 0x00, '>', 0x1B, 0x7F, 0xB3, 0xFF};
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count) {
        const auto pick = random() % 10;
        if (pick < 6) {
            for (auto length = random() % 130; length > 0; --length) {
                bytes.push_back(static_cast<std::uint8_t>(0x20 + random() % 0x5F));
            }
        } else if (pick < 9) {
            bytes.push_back(kSpecial[random() % kSpecial.size()]);
        } else {
            bytes.push_back(static_cast<std::uint8_t>(random()));
        }
    }
    return bytes;
}

auto ScreenFields(const ScreenState& s) {
    return std::tuple(s.clientWidth, s.clientHeight, s.maxScrollX, s.maxScrollY, s.scrollX,
                      s.scrollY, s.column, s.row, s.charWidth, s.charHeight, s.rows, s.columns,
                      s.visibleRows);
}

auto DamageFields(const ScreenDamage& d) {
    return std::tuple(d.wholeClient, d.erase, d.cells, d.scrolledX, d.scrolledY);
}

void ExpectAlike(Side& runs, Side& bytes) {
    ASSERT_EQ(runs.tty.screen.cells, bytes.tty.screen.cells);
    ASSERT_EQ(ScreenFields(runs.tty.screen), ScreenFields(bytes.tty.screen));
    ASSERT_EQ(std::tie(runs.flags.promptSeen, runs.flags.txAllowed),
              std::tie(bytes.flags.promptSeen, bytes.flags.txAllowed));
    ASSERT_EQ(runs.calls, bytes.calls);
    ASSERT_EQ(DamageFields(runs.model.TakeDamage()), DamageFields(bytes.model.TakeDamage()));
    ASSERT_EQ(runs.model.CaretPosition(), bytes.model.CaretPosition());
}

void ExpectRowsAlike(Side& runs, Side& bytes) {
    for (std::int32_t row = 0; row < bytes.tty.screen.rows; ++row) {
        const auto expected = bytes.model.Row(row);
        const auto got = runs.model.Row(row);
        ASSERT_TRUE(std::equal(got.begin(), got.end(), expected.begin(), expected.end()))
            << "row " << row;
    }
}

// Blocks shown as the window's dispatch shows a flood: the rows read through the model are
// right between blocks, the record's cells once the rows are put in order.
void ShowHeldBlocks(std::mt19937& random, Side& runs, Side& bytes) {
    runs.model.BeginBlocks();
    bytes.model.BeginBlocks();
    for (auto blocks = 1 + random() % 4; blocks > 0; --blocks) {
        const auto text = DeviceBytes(random, random() % (2 * ScreenModel::kProcessChunk));
        runs.Show(text);
        bytes.Show(text);
        ASSERT_NO_FATAL_FAILURE(ExpectRowsAlike(runs, bytes));
        if (random() % 3 == 0) {
            runs.model.StraightenRows();
            ASSERT_EQ(runs.tty.screen.cells, bytes.tty.screen.cells);
        }
    }
    runs.model.EndBlocks();
    bytes.model.EndBlocks();
}

TEST(ScreenWalk, RunsAndRingMatchTheByteByByteWalkOnRandomText) {
    for (unsigned seed = 0; seed < 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto runs = std::make_unique<Side>(Walk::Runs);
        const auto bytes = std::make_unique<Side>(Walk::ByteByByte);
        const auto both = [&](const auto& step) {
            step(*runs);
            step(*bytes);
        };
        // Cells of 1 to 12 pixels in clients up to 1200 pixels: one column up to the widest.
        const auto cellWidth = static_cast<std::int32_t>(1 + random() % 12);
        const auto cellHeight = static_cast<std::int32_t>(1 + random() % 12);
        const auto option = [&] { return static_cast<std::uint32_t>(random() % 2); };
        const std::array<std::uint32_t, 3> options{option(), option(), option()};
        both([&](Side& side) {
            side.tty.com.comNewLine = options[0];
            side.tty.com.comAutoWrap = options[1];
            side.tty.com.flowCtrl = options[2] != 0 ? kFlowXonXoff : 0;
            side.model.SetCellSize(cellWidth, cellHeight);
        });
        for (int step = 0; step < 30; ++step) {
            const auto what = random() % 13;
            if (what < 7) {
                const auto text = DeviceBytes(random, random() % (3 * ScreenModel::kProcessChunk));
                both([&](Side& side) { side.Show(text); });
            } else if (what < 8) {
                ASSERT_NO_FATAL_FAILURE(ShowHeldBlocks(random, *runs, *bytes));
            } else if (what < 9) {
                // The record is plain data: an offset from outside, even a negative one.
                const auto offset = static_cast<std::int32_t>(random() % 3000) - 100;
                both([&](Side& side) { side.tty.screen.scrollY = offset; });
            } else if (what < 10) {
                const auto width = static_cast<std::int32_t>(random() % 1200);
                const auto height = static_cast<std::int32_t>(random() % 1200);
                both([&](Side& side) { side.model.Resize(width, height); });
            } else if (what < 11) {
                const auto thumb = static_cast<std::int32_t>(random() % 20000);
                both([&](Side& side) {
                    side.model.Scroll(ScrollOrientation::Vertical,
                                      static_cast<int>(ScrollCode::ThumbPosition), thumb);
                });
            } else {
                both([](Side& side) { side.model.Clear(); });
            }
            ASSERT_NO_FATAL_FAILURE(ExpectAlike(*runs, *bytes)) << "step " << step;
        }
    }
}

} // namespace
} // namespace t8::test
