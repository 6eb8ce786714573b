#pragma once

#include "link/PortInterface.h"
#include "link/ReceiveQueue.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace t8 {

// One per open port: waits for received data, drains it in blocks of at most kBlockBytes and
// queues each block, in arrival order, for the user-interface thread.
class ReaderThread {
public:
    static constexpr std::size_t kBlockBytes = 2048;
    // One read takes up to this much, handed on as blocks of kBlockBytes at most: a flood then
    // costs a system call per several blocks, not one per block. A pty refills while it is
    // read, so in a flood one read often finds far more than a block or two.
    static constexpr std::size_t kReadBytes = 64 * kBlockBytes;
    // Read errors (or wakes without data) in a row after which the device is taken as gone,
    // so a broken port never spins.
    static constexpr int kMaxErrorsInARow = 3;

    ReaderThread(PortInterface& port, ReceiveQueue& queue, std::function<void()> wake,
                 bool watchXonXoff);
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;
    ~ReaderThread();

    // False when no thread could be started.
    bool Start();
    // Releases the wait and joins; safe to call twice.
    void Stop();
    [[nodiscard]] bool Running() const { return running.load(); }
    // While held, XON/XOFF in what arrives is data, not flow control (a receive runs).
    void HoldFlowControl(bool hold) { flowHeld = hold; }

private:
    void Loop();
    // False when the reader must end (stop requested or the device is gone).
    bool Drain();
    void Deliver(const std::uint8_t* block, std::size_t count);
    void ApplyFlowControl(const std::uint8_t* block, std::size_t count);

    PortInterface& port;
    ReceiveQueue& queue;
    std::function<void()> wake;
    bool watchXonXoff;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> flowHeld{false};
    int errorsInARow = 0;
    int emptyWakes = 0;
    std::vector<std::uint8_t> buffer; // kReadBytes, allocated once
};

} // namespace t8
