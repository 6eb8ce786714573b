// The pacing of received text against the window's frames: a lone block is drawn at once, a
// flood is taken every frame but drawn only every few, and what the flood's last frames took
// is drawn once it ends.
#include "terminal/ui/ReceivedFrames.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace t8::test {
namespace {

using Frames = ReceivedFrames;

struct Pacing {
    int takes = 0;
    std::vector<int> drawnAfterTake; // the number of takes when each drawing came
    Frames frames{[this](std::chrono::milliseconds) {
                      ++takes;
                      return false;
                  },
                  [this] { drawnAfterTake.push_back(takes); }};
};

TEST(ReceivedFramesTest, AFloodIsDrawnEveryFewFramesAndItsEndAtOnce) {
    Pacing pacing;
    pacing.frames.Wake();
    EXPECT_EQ(pacing.drawnAfterTake, std::vector<int>{1}) << "a lone block at once";
    QTest::qWait(3 * Frames::kFrameMs);

    // Blocks every 2 ms for half a second: the reader's wakes in a flood.
    QTimer arrivals;
    QObject::connect(&arrivals, &QTimer::timeout, [&] { pacing.frames.Wake(); });
    arrivals.start(2);
    QElapsedTimer flood;
    flood.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return flood.elapsed() > 500; }, 2000));
    arrivals.stop();
    const int takes = pacing.takes;
    const auto drawn = static_cast<int>(pacing.drawnAfterTake.size());
    EXPECT_GE(takes, 2 * Frames::kFloodFrames) << "taken frame after frame";
    EXPECT_LE(drawn, 1 + takes / Frames::kFloodFrames + 2) << "drawn every few frames";

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
