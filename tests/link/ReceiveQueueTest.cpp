#include "link/ReceiveQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace t8::test {
namespace {

ReceivedEvent Data(const std::string& text) {
    return {ReceivedEvent::Kind::Data, std::vector<std::uint8_t>(text.begin(), text.end()), 0};
}

std::string Text(const std::deque<ReceivedEvent>& events) {
    std::string text;
    for (const auto& event : events) {
        text += event.kind == ReceivedEvent::Kind::HangUp
                    ? std::string("<H>")
                    : std::string(event.bytes.begin(), event.bytes.end()) + "|";
    }
    return text;
}

// A budgeted take hands out the oldest events in order, never splits one, and frees the room
// a reader waits for as it goes.
TEST(ReceiveQueueTest, TakeUpToKeepsOrderAndFreesRoom) {
    ReceiveQueue queue;
    EXPECT_TRUE(queue.Push(Data("abc")));
    EXPECT_FALSE(queue.Push(Data("defgh")));
    EXPECT_FALSE(queue.Push({ReceivedEvent::Kind::HangUp, {}, 0}));
    EXPECT_FALSE(queue.Push(Data("ij")));
    EXPECT_EQ(Text(queue.TakeUpTo(0)), "abc|") << "at least one event";
    EXPECT_EQ(queue.QueuedBytes(), 7u);
    EXPECT_EQ(Text(queue.TakeUpTo(4)), "defgh|");
    EXPECT_EQ(Text(queue.TakeUpTo(100)), "<H>ij|");
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.QueuedBytes(), 0u);
    EXPECT_TRUE(queue.TakeUpTo(10).empty());
    EXPECT_TRUE(queue.Push(Data("k"))) << "an emptied queue wakes the window again";

    ReceiveQueue full;
    (void)full.Push(Data(std::string(ReceiveQueue::kMaxQueuedBytes, 'x')));
    (void)full.Push(Data("tail"));
    std::thread reader([&] { EXPECT_TRUE(full.WaitForRoom()); });
    EXPECT_EQ(full.TakeUpTo(1).front().bytes.size(), ReceiveQueue::kMaxQueuedBytes);
    reader.join(); // would hang if the take kept the bytes counted
    EXPECT_EQ(full.QueuedBytes(), 4u);
}

// Shown blocks come back as empty storage for later ones, and no more than the bound is kept
// after a flood.
TEST(ReceiveQueueTest, ShownBlocksAreReusedUpToABound) {
    ReceiveQueue queue;
    EXPECT_EQ(queue.SpareBlock().capacity(), 0u) << "nothing shown yet";
    for (std::size_t i = 0; i < ReceiveQueue::kMaxSpareBlocks + 10; ++i) {
        (void)queue.Push(Data(std::string(2048, 'x')));
    }
    (void)queue.Push({ReceivedEvent::Kind::HangUp, {}, 0});
    auto shown = queue.TakeAll();
    queue.Recycle(shown);
    for (std::size_t i = 0; i < ReceiveQueue::kMaxSpareBlocks; ++i) {
        const auto spare = queue.SpareBlock();
        ASSERT_TRUE(spare.empty());
        ASSERT_GE(spare.capacity(), 2048u) << "spare " << i;
    }
    EXPECT_EQ(queue.SpareBlock().capacity(), 0u) << "kept more than the bound";
}

} // namespace
} // namespace t8::test
