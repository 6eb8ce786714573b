// The pacing of received text against the window's frames: a lone block is drawn at once, a
// flood is taken every frame but drawn only every few, and what the flood's last frames took
// is drawn once it ends.
#include "terminal/ui/ReceivedFrames.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace t8::test {
namespace {

using Frames = ReceivedFrames;

// A device that sends more text during every frame until `floodTakes` frames were taken.
struct Pacing {
    int takes = 0;
    int floodTakes = 0;
    std::vector<int> drawnAfterTake; // the number of takes when each drawing came
    Frames frames{[this](std::chrono::milliseconds) {
                      if (++takes < floodTakes) {
                          QTimer::singleShot(1, [this] { frames.Wake(); });
                      }
                      return false;
                  },
                  [this] { drawnAfterTake.push_back(takes); }};
};

TEST(ReceivedFramesTest, AFloodIsDrawnEveryFewFramesAndItsEndAtOnce) {
    Pacing pacing;
    pacing.frames.Wake();
    EXPECT_EQ(pacing.drawnAfterTake, std::vector<int>{1}) << "a lone block at once";
    QTest::qWait(3 * Frames::kFrameMs);

    constexpr int kDrawings = 15;
    pacing.floodTakes = 1 + kDrawings * Frames::kFloodFrames;
    pacing.frames.Wake();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pacing.takes == pacing.floodTakes; }, 20000));
    const auto drawn = static_cast<int>(pacing.drawnAfterTake.size()) - 1;
    EXPECT_LE(drawn, Frames::kFloodFrames + kDrawings) << "drawn every few frames";
    EXPECT_GE(drawn, kDrawings - 1) << "but drawn all along";

    ASSERT_TRUE(QTest::qWaitFor([&] { return pacing.drawnAfterTake.back() == pacing.takes; },
                                10 * Frames::kFrameMs))
        << "the flood's last take is drawn when it ends";
    QTest::qWait(3 * Frames::kFrameMs);
    const auto settled = pacing.drawnAfterTake.size();
    pacing.frames.Wake();
    EXPECT_EQ(pacing.drawnAfterTake.size(), settled + 1) << "after the flood, a block at once";
}

} // namespace
} // namespace t8::test
