#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace t8 {

// How a TX line's file went out.
enum class RawSendOutcome { Sent, Cancelled, FileError, PortError };

struct RawSendResult {
    RawSendOutcome outcome = RawSendOutcome::Sent;
    std::uint64_t bytes = 0; // bytes that went to the line (not those a cancel dropped)
    bool completed = false;  // the whole file went out
};

// The terminal a batch runs on: the window's view, or the headless one of t8batch. Calls come
// from inside BatchExecutor::Tick on the thread that ticks it.
class BatchTerminal {
public:
    BatchTerminal() = default;
    BatchTerminal(const BatchTerminal&) = delete;
    BatchTerminal& operator=(const BatchTerminal&) = delete;
    virtual ~BatchTerminal() = default;

    // Types one key as the keyboard would (sent, echoed when local echo is on, Enter and Esc
    // answering an address prompt). 0 when it was dropped (port closed).
    virtual int TypeKey(std::uint8_t key) = 0;
    // The device's prompt ">" was seen since the flag was last cleared.
    [[nodiscard]] virtual bool PromptSeen() const = 0;
    virtual void ClearPromptSeen() = 0;
    // Streams the file unchanged behind the download progress; returns when it has ended.
    virtual RawSendResult SendFileRaw(const std::string& path) = 0;
    // Why a TX line's file cannot be sent, asked before the line types a key; empty when it
    // can. A host that says why stops the run there, so the device is never left armed for a
    // file that will not come. The window leaves it to the send, which says so itself.
    [[nodiscard]] virtual std::string TxFileProblem(const std::string& path) const {
        (void)path;
        return {};
    }
    // Arms a receive into `name`; the keys the batch types then start it.
    virtual void PrepareBatchReceive(const std::string& name) = 0;
};

// The executor's two texts as refreshed; the flags tell which were set since the last refresh
// (a text may be set again to what it was).
struct BatchTexts {
    std::string message;
    std::string status;
    bool messageSet = false;
    bool statusSet = false;
};

// Where the executor's texts are shown: the dialog's message and status lines, or t8batch's
// standard output.
class BatchDisplay {
public:
    BatchDisplay() = default;
    BatchDisplay(const BatchDisplay&) = delete;
    BatchDisplay& operator=(const BatchDisplay&) = delete;
    virtual ~BatchDisplay() = default;

    virtual void ShowTexts(const BatchTexts& texts) = 0;
    // Each line as it is read for execution, line end included; `number` counts from 1.
    virtual void LineStarted(std::size_t number, const std::string& line) {
        (void)number;
        (void)line;
    }
};

} // namespace t8
