#pragma once

#include "batch/BatchTerminal.h"
#include "tools/t8batch/EchoMatch.h"
#include "tools/t8batch/EventLoop.h"
#include "tools/t8batch/ProgressLine.h"
#include "tools/t8batch/RunReport.h"

#include <cstdint>
#include <string>

namespace t8 {

class DownloadStream;
class HeadlessTerminal;
class Transcript;
class UploadProgress;
struct LineTap;

// What the transfer loops need of the run they serve.
class RunControl {
public:
    RunControl() = default;
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;
    virtual ~RunControl() = default;

    // A verdict was given: the run is on its way out.
    [[nodiscard]] virtual bool Stopping() const = 0;
    // Gives the verdict unless one was given already (the first cause stands).
    virtual void Stop(RunResult result, const std::string& message) = 0;
    // " (line N: text)" for the line running, or empty.
    [[nodiscard]] virtual std::string Where() const = 0;
    // Adds to the verdict's message what happened after it was given (data lost on the way
    // out); nothing when `text` is the verdict's own message.
    virtual void Tell(const std::string& text) = 0;
};

// The run's transfers: the keys the batch types (a typed Enter may start a receive), its TX
// and RX lines with what each adds to the report and the transcript, and the progress dialogs
// of a window as loops of their ticks on the event loop. A transfer that makes no progress for
// --timeout fails the run; one running when the run has its verdict ends at once (a send drops
// what waits in the driver, a receive keeps what arrived as partial and sends nothing more).
class RunTransfers {
public:
    static constexpr const char* kNoErrors = "No errors.";

    struct Parts {
        EventLoop& loop;
        HeadlessTerminal& terminal;
        Transcript& transcript;
        LineTap& tap;
        RunReport& report;
    };

    RunTransfers(Parts parts, RunControl& run, int timeoutSeconds);
    RunTransfers(const RunTransfers&) = delete;
    RunTransfers& operator=(const RunTransfers&) = delete;

    // Nothing is typed once the run has its verdict.
    int TypeKey(std::uint8_t key);
    // Sends `sent` (a stamped copy, or `path` itself) as the TX of `path`.
    RawSendResult SendFileRaw(const std::string& path, const std::string& sent);
    void PrepareBatchReceive(const std::string& name);
    [[nodiscard]] int Send(DownloadStream& stream);
    [[nodiscard]] int Receive(UploadProgress& progress);
    // Lets `ms` pass while the line is served; ends early when the run stops.
    void Wait(int ms);
    void EndProgress() { progressLine.End(); }
    // The device's text reached the screen (its echo of typed keys among it).
    void DeviceText(const std::uint8_t* bytes, std::size_t count);
    // Whether a transfer's progress is shown (on a terminal) at all.
    void ShowProgress(bool show) { progressLine.Enable(show); }

private:
    void AfterReceive();
    [[nodiscard]] bool AtAddressPrompt();
    void AwaitEcho();
    [[nodiscard]] std::uint64_t TimeoutMs() const;
    [[nodiscard]] std::string NoProgress(const std::string& what) const;
    [[nodiscard]] std::string Lost() const;

    Parts parts;
    RunControl& run;
    int timeoutSeconds;
    ProgressLine progressLine;
    bool receiveRan = false;
    std::uint64_t lastKeyMs = 0;
    std::uint64_t lastTextMs = 0;
    EchoMatch echo; // of the keys typed at the address prompt
    std::string receiveName;
    std::string receiveCheck;
};

} // namespace t8
