#include "link/ReaderThread.h"

#include "link/CommError.h"

#include <algorithm>
#include <system_error>

namespace t8 {

ReaderThread::ReaderThread(PortInterface& port_, ReceiveQueue& queue_, std::function<void()> wake_,
                           bool watchXonXoff_)
    : port(port_), queue(queue_), wake(std::move(wake_)), watchXonXoff(watchXonXoff_),
      buffer(kReadBytes) {}

ReaderThread::~ReaderThread() {
    Stop();
}

bool ReaderThread::Start() {
    if (thread.joinable()) {
        return false;
    }
    stopRequested = false;
    queue.Rearm();
    try {
        running = true;
        thread = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
        running = false;
        return false;
    }
    return true;
}

void ReaderThread::Stop() {
    stopRequested = true;
    port.Release();
    queue.Interrupt();
    if (thread.joinable()) {
        thread.join();
    }
}

void ReaderThread::Loop() {
    while (!stopRequested) {
        const WaitResult result = port.WaitReadable();
        if (result == WaitResult::Released || stopRequested) {
            break;
        }
        if (result != WaitResult::Data) {
            queue.Push({ReceivedEvent::Kind::HangUp, {}, 0});
            wake();
            break;
        }
        if (!Drain()) {
            break;
        }
    }
    running = false;
}

bool ReaderThread::Drain() {
    bool firstRead = true;
    for (;;) {
        if (!queue.WaitForRoom() || stopRequested) {
            return false;
        }
        const long got = port.Read(buffer.data(), buffer.size());
        if (got == 0) {
            // A wake that never yields data is a broken device, not a reason to spin.
            emptyWakes = firstRead ? emptyWakes + 1 : 0;
            if (emptyWakes >= kMaxErrorsInARow) {
                queue.Push({ReceivedEvent::Kind::HangUp, {}, 0});
                wake();
                return false;
            }
            return true;
        }
        firstRead = false;
        emptyWakes = 0;
        if (got < 0) {
            const bool gone =
                IsHangUpError(static_cast<int>(-got)) || ++errorsInARow >= kMaxErrorsInARow;
            const auto kind = gone ? ReceivedEvent::Kind::HangUp : ReceivedEvent::Kind::CommError;
            if (queue.Push({kind, {}, static_cast<int>(-got)})) {
                wake();
            }
            return !gone;
        }
        errorsInARow = 0;
        const auto count = static_cast<std::size_t>(got);
        for (std::size_t at = 0; at < count; at += kBlockBytes) {
            Deliver(buffer.data() + at, std::min(kBlockBytes, count - at));
        }
    }
}

void ReaderThread::Deliver(const std::uint8_t* block, std::size_t count) {
    if (watchXonXoff && !flowHeld) {
        ApplyFlowControl(block, count);
    }
    std::vector<std::uint8_t> bytes = queue.SpareBlock();
    bytes.assign(block, block + count);
    if (queue.Push({ReceivedEvent::Kind::Data, std::move(bytes), 0})) {
        wake();
    }
}

// The device's XOFF must stop our transmitter at once, not when the window gets to the block.
void ReaderThread::ApplyFlowControl(const std::uint8_t* block, std::size_t count) {
    for (std::size_t i = count; i-- > 0;) {
        if (block[i] == kXoffChar || block[i] == kXonChar) {
            port.SuspendOutput(block[i] == kXoffChar);
            return;
        }
    }
}

} // namespace t8
