#pragma once

#include "link/LinkUi.h"
#include "link/PortInterface.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace t8::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

// Records what the link asks of the window.
class RecordingUi : public LinkUi {
public:
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        messages.push_back({text, caption, icon});
    }
    void SetWaitCursor(bool on) override { waitCursor = on; }
    void StartViewTimer() override { timerRunning = true; }
    void StopViewTimer() override { timerRunning = false; }
    void ShowCaret(bool show) override { caret = show; }
    void WakeForReceived() override {
        {
            const std::lock_guard lock(mutex);
            ++wakes;
        }
        woken.notify_all();
    }
    void Debug(const std::string& text) override { debug.push_back(text); }
    void ShowLinkStatus(const std::string& text) override { statuses.push_back(text); }
    void SetReconnectTimer(bool on) override { reconnectTimer = on; }

    // Waits until the reader has woken the window more often than `seen` times.
    bool WaitForWake(int seen, int timeoutMs) {
        std::unique_lock lock(mutex);
        return woken.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return wakes > seen; });
    }
    int Wakes() {
        const std::lock_guard lock(mutex);
        return wakes;
    }

    std::vector<ShownMessage> messages;
    std::vector<std::string> debug;
    std::vector<std::string> statuses;
    bool reconnectTimer = false;
    bool waitCursor = false;
    bool timerRunning = false;
    bool caret = false;

private:
    std::mutex mutex;
    std::condition_variable woken;
    int wakes = 0;
};

// Records every block in the order and the place it was given.
class RecordingTarget : public ReceiveTarget {
public:
    struct Entry {
        char where; // 'c'apture, 'r'eceive, 's'creen
        std::string bytes;
        bool zeroTerminated;
    };
    void AppendCapture(const std::uint8_t* bytes, std::size_t count) override {
        Add('c', bytes, count);
    }
    void FeedReceive(const std::uint8_t* bytes, std::size_t count) override {
        Add('r', bytes, count);
    }
    void ProcessScreen(const std::uint8_t* bytes, std::size_t count) override {
        Add('s', bytes, count);
    }
    [[nodiscard]] std::size_t HidingLineFeeds() const override { return hidingLineFeeds; }
    void OverrunScreen(const std::uint8_t*, std::size_t count) override { overrun += count; }
    [[nodiscard]] std::string All(char where) const {
        std::string joined;
        for (const auto& entry : entries) {
            if (entry.where == where) {
                joined += entry.bytes;
            }
        }
        return joined;
    }
    std::vector<Entry> entries;
    std::size_t hidingLineFeeds = 0; // 0: the screen sees every byte
    std::size_t overrun = 0;         // bytes only overrun

private:
    void Add(char where, const std::uint8_t* bytes, std::size_t count) {
        entries.push_back(
            {where, std::string(reinterpret_cast<const char*>(bytes), count), bytes[count] == 0});
    }
};

// A port whose lines, input and write outcome the test sets; it records what is written.
class FakePort : public PortInterface {
public:
    // What the device sends, and whether it hung up; the reader thread takes it.
    struct Input {
        std::mutex mutex;
        std::condition_variable changed;
        std::string bytes;
        bool hungUp = false;
    };
    struct State {
        std::uint32_t modemStatus = kModemCts | kModemDsr | kModemRlsd;
        bool failOpen = false;
        bool failConfigure = false;
        int writeError = 0;           // errno to fail with
        std::size_t writeLimit = ~0u; // bytes taken before the failure or time-out
        std::string written;
        std::vector<std::uint32_t> writeTimeouts;
        std::vector<LineSettings> configured;
        bool dtr = false;
        bool rts = false;
        int opens = 0;
        std::vector<bool> suspends; // SuspendOutput calls, in order
        Input input;
    };
    explicit FakePort(State& state_) : state(state_) {}

    // The device sends `bytes`, or hangs up (or is plugged in again); the reader finds them as
    // from a real line.
    static void Deliver(State& state, std::string_view bytes) {
        {
            const std::lock_guard lock(state.input.mutex);
            state.input.bytes.append(bytes);
        }
        state.input.changed.notify_all();
    }
    static void HangUp(State& state, bool hungUp = true) {
        {
            const std::lock_guard lock(state.input.mutex);
            state.input.hungUp = hungUp;
        }
        state.input.changed.notify_all();
    }

    bool Open(const std::string&) override {
        if (state.failOpen) {
            return false;
        }
        ++state.opens;
        open = true;
        return true;
    }
    void Close() override { open = false; }
    [[nodiscard]] bool IsOpen() const override { return open; }
    [[nodiscard]] LinkError LastError() const override {
        return state.failOpen ? LinkError::FromErrno(ENOENT) : LinkError::SettingsRefused(EINVAL);
    }
    bool Configure(const LineSettings& settings) override {
        state.configured.push_back(settings);
        return !state.failConfigure;
    }
    [[nodiscard]] std::uint32_t ModemStatus() const override { return state.modemStatus; }
    void SetDtr(bool on) override { state.dtr = on; }
    void SetRts(bool on) override { state.rts = on; }
    [[nodiscard]] std::size_t InputQueued() const override {
        const std::lock_guard lock(state.input.mutex);
        return state.input.bytes.size();
    }
    [[nodiscard]] std::size_t OutputQueued() const override { return 0; }
    void Purge() override {}
    void DiscardOutput() override {}
    WaitResult WaitReadable() override {
        std::unique_lock lock(state.input.mutex);
        state.input.changed.wait(
            lock, [&] { return released || !state.input.bytes.empty() || state.input.hungUp; });
        if (released) {
            return WaitResult::Released;
        }
        return state.input.bytes.empty() ? WaitResult::HangUp : WaitResult::Data;
    }
    void Release() override {
        {
            const std::lock_guard lock(state.input.mutex);
            released = true;
        }
        state.input.changed.notify_all();
    }
    long Read(std::uint8_t* buffer, std::size_t max) override {
        const std::lock_guard lock(state.input.mutex);
        const std::size_t count = std::min(max, state.input.bytes.size());
        std::copy_n(state.input.bytes.begin(), count, buffer);
        state.input.bytes.erase(0, count);
        return static_cast<long>(count);
    }
    WriteResult Write(const std::uint8_t* bytes, std::size_t count,
                      std::uint32_t timeoutMs) override {
        state.writeTimeouts.push_back(timeoutMs);
        return Take(bytes, count);
    }
    WriteResult WriteAvailable(const std::uint8_t* bytes, std::size_t count) override {
        return Take(bytes, count);
    }
    void SuspendOutput(bool suspend) override { state.suspends.push_back(suspend); }

private:
    WriteResult Take(const std::uint8_t* bytes, std::size_t count) {
        WriteResult result;
        result.written = std::min(count, state.writeLimit);
        state.written.append(reinterpret_cast<const char*>(bytes), result.written);
        if (result.written < count) {
            result.error = state.writeError;
            result.timedOut = state.writeError == 0;
        }
        return result;
    }

    State& state;
    bool open = false;
    bool released = false; // guarded by state.input.mutex
};

} // namespace t8::test
