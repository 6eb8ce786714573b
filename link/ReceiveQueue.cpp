#include "link/ReceiveQueue.h"

namespace t8 {

bool ReceiveQueue::Push(ReceivedEvent event) {
    const std::lock_guard lock(mutex);
    const bool wasEmpty = events.empty();
    queuedBytes += event.bytes.size();
    events.push_back(std::move(event));
    return wasEmpty;
}

std::deque<ReceivedEvent> ReceiveQueue::TakeAll() {
    std::deque<ReceivedEvent> taken;
    {
        const std::lock_guard lock(mutex);
        taken.swap(events);
        queuedBytes = 0;
    }
    room.notify_all();
    return taken;
}

std::deque<ReceivedEvent> ReceiveQueue::TakeUpTo(std::size_t maxBytes) {
    std::deque<ReceivedEvent> taken;
    {
        const std::lock_guard lock(mutex);
        std::size_t bytes = 0;
        while (!events.empty() && (taken.empty() || bytes < maxBytes)) {
            bytes += events.front().bytes.size();
            taken.push_back(std::move(events.front()));
            events.pop_front();
        }
        queuedBytes -= bytes;
    }
    room.notify_all();
    return taken;
}

bool ReceiveQueue::Empty() const {
    const std::lock_guard lock(mutex);
    return events.empty();
}

bool ReceiveQueue::WaitForRoom() {
    std::unique_lock lock(mutex);
    room.wait(lock, [this] { return interrupted || queuedBytes < kMaxQueuedBytes; });
    return !interrupted;
}

void ReceiveQueue::Interrupt() {
    {
        const std::lock_guard lock(mutex);
        interrupted = true;
    }
    room.notify_all();
}

void ReceiveQueue::Rearm() {
    const std::lock_guard lock(mutex);
    interrupted = false;
}

void ReceiveQueue::ForgetHangUps() {
    const std::lock_guard lock(mutex);
    std::erase_if(events, [](const ReceivedEvent& event) {
        return event.kind == ReceivedEvent::Kind::HangUp;
    });
}

std::size_t ReceiveQueue::QueuedBytes() const {
    const std::lock_guard lock(mutex);
    return queuedBytes;
}

} // namespace t8

namespace t8 {

void ReceiveQueue::Recycle(std::deque<ReceivedEvent>& shown) {
    const std::lock_guard lock(mutex);
    for (ReceivedEvent& event : shown) {
        if (spares.size() >= kMaxSpareBlocks) {
            return;
        }
        if (event.bytes.capacity() > 0) {
            event.bytes.clear();
            spares.push_back(std::move(event.bytes));
        }
    }
}

std::vector<std::uint8_t> ReceiveQueue::SpareBlock() {
    const std::lock_guard lock(mutex);
    if (spares.empty()) {
        return {};
    }
    std::vector<std::uint8_t> spare = std::move(spares.back());
    spares.pop_back();
    return spare;
}

} // namespace t8
