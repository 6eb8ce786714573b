#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace t8 {

struct ReceivedEvent {
    enum class Kind { Data, CommError, HangUp };
    Kind kind = Kind::Data;
    std::vector<std::uint8_t> bytes;
    int error = 0;
};

// Hands received blocks from the reader thread to the user-interface thread in arrival order.
// Bounded: when the window falls far behind, the reader waits and the driver's buffer and flow
// control hold the rest, so nothing is dropped.
class ReceiveQueue {
public:
    static constexpr std::size_t kMaxQueuedBytes = 8u << 20;
    // Block storage kept for reuse at most (about a megabyte of blocks).
    static constexpr std::size_t kMaxSpareBlocks = 512;

    ReceiveQueue() = default;
    ReceiveQueue(const ReceiveQueue&) = delete;
    ReceiveQueue& operator=(const ReceiveQueue&) = delete;

    // Returns true when the queue was empty, i.e. the window needs one wake-up.
    bool Push(ReceivedEvent event);
    [[nodiscard]] std::deque<ReceivedEvent> TakeAll();
    // The oldest events, in order, up to about maxBytes of data (at least one event).
    [[nodiscard]] std::deque<ReceivedEvent> TakeUpTo(std::size_t maxBytes);
    [[nodiscard]] bool Empty() const;
    // Blocks while the queue is over its bound; false when Interrupt() was called.
    bool WaitForRoom();
    void Interrupt();
    // Ready for a new reader; drops nothing that was queued.
    void Rearm();
    // Drops the queued hang-ups of a port that is closed now, so that none ends the next port;
    // its data stays queued.
    void ForgetHangUps();
    [[nodiscard]] std::size_t QueuedBytes() const;
    // The window hands the storage of the blocks it has shown back, and the reader takes it for
    // later blocks: in a flood no block is allocated on one thread and freed on the other.
    void Recycle(std::deque<ReceivedEvent>& shown);
    [[nodiscard]] std::vector<std::uint8_t> SpareBlock();

private:
    mutable std::mutex mutex;
    std::condition_variable room;
    std::deque<ReceivedEvent> events;
    std::vector<std::vector<std::uint8_t>> spares;
    std::size_t queuedBytes = 0;
    bool interrupted = false;
};

} // namespace t8
