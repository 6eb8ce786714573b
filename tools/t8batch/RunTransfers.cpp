#include "tools/t8batch/RunTransfers.h"

#include "tools/t8batch/FileHash.h"
#include "tools/t8batch/HeadlessTerminal.h"
#include "tools/t8batch/TappedPort.h"
#include "tools/t8batch/Transcript.h"

#include "transfer/DownloadStream.h"
#include "transfer/PromptKeys.h"
#include "transfer/TransferFiles.h"
#include "transfer/UploadProgress.h"

#include <algorithm>

namespace t8 {

namespace {

constexpr std::uint64_t kMsPerSecond = 1000;
// The quiet that tells the device's echo of the typed keys is in, when it cannot be seen key by
// key: the window's step, the gap the echo always has there.
constexpr std::uint64_t kEchoQuietMs = 100;
// The quiet after an echo that was seen: a byte the device sends right after it (the last key
// echoed twice, an answer to it) is on the line within a character's time, 33 ms at 300 baud.
constexpr std::uint64_t kEchoSettleMs = 40;
// A device that never falls quiet is not waited on longer than this.
constexpr std::uint64_t kEchoPatienceMs = 2000;
constexpr int kEchoLookMs = 10;

} // namespace

RunTransfers::RunTransfers(Parts parts_, RunControl& run_, int timeoutSeconds_)
    : parts(parts_), run(run_), timeoutSeconds(timeoutSeconds_) {}

std::uint64_t RunTransfers::TimeoutMs() const {
    return static_cast<std::uint64_t>(timeoutSeconds) * kMsPerSecond;
}

std::string RunTransfers::NoProgress(const std::string& what) const {
    return what + " made no progress for " + std::to_string(timeoutSeconds) + " s" + run.Where();
}

int RunTransfers::Send(DownloadStream& stream) {
    EventLoop& loop = parts.loop;
    parts.tap.hostStreaming = true;
    std::uint64_t lastPosition = 0;
    std::uint64_t lastProgressMs = loop.NowMs();
    EventLoop::Timer tick{DownloadStream::kTickMs, {}};
    tick.fire = [&] {
        if (run.Stopping()) {
            stream.Cancel(); // what waits in the driver is dropped, and not counted as sent
            return;
        }
        stream.Tick(loop.NowMs()); // a stream whose line went away has ended by itself
        if (stream.Position() != lastPosition || stream.Result() != DownloadStream::kRunning) {
            lastPosition = stream.Position();
            lastProgressMs = loop.NowMs();
        } else if (TimeoutMs() != 0 && loop.NowMs() - lastProgressMs >= TimeoutMs()) {
            run.Stop(RunResult::Timeout, NoProgress("the TX of " + stream.FileNameText()));
            stream.Cancel();
        }
        progressLine.Show("TX " + stream.FileNameText() + ": " + std::to_string(stream.Position()) +
                          "/" + std::to_string(stream.Length()) + " bytes (" +
                          std::to_string(stream.Percent()) + "%)");
    };
    loop.PumpWith(tick, [&] { return stream.Result() != DownloadStream::kRunning; });
    progressLine.End();
    parts.tap.hostStreaming = false;
    return stream.Result();
}

int RunTransfers::Receive(UploadProgress& progress) {
    EventLoop& loop = parts.loop;
    const std::string& name = receiveName;
    receiveRan = true;
    EventLoop::Timer tick{UploadProgress::kTickMs, {}};
    tick.fire = [&] {
        const std::uint64_t silentMs =
            static_cast<std::uint64_t>(progress.SilentTicks() + 1) * UploadProgress::kTickMs;
        if (TimeoutMs() != 0 && silentMs > TimeoutMs() &&
            progress.SilentTicks() < UploadProgress::kSilentTicksToClose) {
            run.Stop(RunResult::Timeout, NoProgress("the RX into " + NameOf(name)));
        }
        if (run.Stopping()) {
            progress.Stop(); // what arrived is kept as partial; nothing more is typed
        }
        progress.Tick();
        progressLine.Show("RX " + NameOf(name) + ": " + progress.BytesText());
    };
    loop.PumpWith(tick, [&] { return progress.Result() != UploadProgress::kRunning; });
    progressLine.End();
    receiveCheck = progress.StatusText();
    return progress.Result();
}

void RunTransfers::Wait(int ms) {
    EventLoop& loop = parts.loop;
    EventLoop::Timer deadline{ms, [] {}}; // wakes the loop when the time is up
    const std::uint64_t until = loop.NowMs() + static_cast<std::uint64_t>(ms);
    loop.PumpWith(deadline, [&] { return run.Stopping() || loop.NowMs() >= until; });
}

int RunTransfers::TypeKey(std::uint8_t key) {
    if (run.Stopping()) {
        return 0;
    }
    if (!AtAddressPrompt()) {
        echo.Reset();
    } else if (key == PromptKeys::kEnter) {
        AwaitEcho();
        echo.Reset();
        if (run.Stopping()) {
            return 0;
        }
    } else {
        echo.Typed(key);
    }
    receiveRan = false;
    const int typed = parts.terminal.Transfers().TypeKey(key);
    lastKeyMs = parts.loop.NowMs();
    if (receiveRan) {
        AfterReceive();
    }
    return typed;
}

bool RunTransfers::AtAddressPrompt() {
    const TTYInfo* tty = parts.terminal.Link().Record();
    return tty != nullptr && tty->transfer.addressPromptActive != 0;
}

// Enter at an address prompt takes the device's echo of the typed keys as the range, and what
// comes after it as a receive's data. Keys typed faster than the line carries the echo back
// (a short --step on a slow line) would leave its tail to the data: Enter waits until the
// line has been quiet since the last key, briefly once the echo of the last key is seen.
void RunTransfers::AwaitEcho() {
    EventLoop& loop = parts.loop;
    const std::uint64_t limit = loop.NowMs() + kEchoPatienceMs;
    EventLoop::Timer look{kEchoLookMs, [] {}};
    loop.PumpWith(look, [&] {
        const std::uint64_t now = loop.NowMs();
        const std::uint64_t quiet = echo.EchoIn() ? kEchoSettleMs : kEchoQuietMs;
        return run.Stopping() || now >= limit || now >= std::max(lastKeyMs, lastTextMs) + quiet;
    });
}

void RunTransfers::DeviceText(const std::uint8_t* bytes, std::size_t count) {
    lastTextMs = parts.loop.NowMs();
    echo.Shown(bytes, count);
}

std::string RunTransfers::Lost() const {
    return "the connection to the device on " + parts.terminal.Link().DevicePath() + " was lost";
}

RawSendResult RunTransfers::SendFileRaw(const std::string& path, const std::string& source) {
    parts.transcript.Note("tx: " + path + (source == path ? "" : " as " + source));
    SentFile sent{path, 0, false, Sha256OfFile(source)};
    const RawSendResult result = parts.terminal.Transfers().SendFileRaw(source);
    // The hash names what was sent only if the file stayed as it was while it went out.
    const bool changed = result.bytes > 0 && Sha256OfFile(source) != sent.sha256;
    sent.bytes = result.bytes;
    sent.completed = result.completed && !changed;
    parts.report.sent.push_back(sent);
    parts.transcript.Note("tx: " + path + " " + std::to_string(result.bytes) + " bytes" +
                          (sent.completed ? "" : ", not completed") +
                          (changed ? ", the file changed while it was sent" : ""));
    if (changed) {
        run.Stop(RunResult::FileError,
                 "the TX file " + path + " changed while it was sent" + run.Where());
    } else if (result.outcome == RawSendOutcome::FileError) {
        run.Stop(RunResult::FileError, "cannot read the TX file " + path + run.Where());
    } else if (result.outcome == RawSendOutcome::PortError) {
        run.Stop(RunResult::PortError, Lost() + " during the TX of " + path + " after " +
                                           std::to_string(result.bytes) + " bytes");
    }
    return result;
}

void RunTransfers::PrepareBatchReceive(const std::string& name) {
    receiveName = name;
    parts.transcript.Note("rx: armed for " + name);
    parts.terminal.Transfers().PrepareBatchReceive(name);
}

void RunTransfers::AfterReceive() {
    const FileReceiver& receiver = parts.terminal.Transfers().Receiver();
    const std::vector<std::uint8_t>& data = receiver.Received().Data();
    if (receiver.PresetReceive()) { // the file could not be written: the data are lost
        const std::string& tried = receiver.AttemptedPath();
        parts.report.received.push_back(
            {tried, data.size(), receiveCheck, tried != receiveName, receiveName, {}, false});
        const std::string lost = "cannot write the RX file " + tried + ": " + receiver.SaveError() +
                                 "; the " + std::to_string(data.size()) +
                                 " bytes received are lost";
        parts.transcript.Note("rx: " + lost);
        run.Stop(RunResult::FileError, lost + run.Where());
        run.Tell(lost); // a run stopped already keeps its cause, and says this too
        return;
    }
    const bool partial = receiver.SavedPartial();
    parts.report.received.push_back(
        {receiver.SavedPath(), data.size(), receiveCheck, partial, receiveName, Sha256(data)});
    parts.transcript.Note("rx: " + receiver.SavedPath() + " " + std::to_string(data.size()) +
                          " bytes, " + receiveCheck +
                          (partial ? " (partial: " + receiveName + " is left as it was)" : ""));
    if (!parts.terminal.Connected()) {
        run.Stop(RunResult::PortError, Lost());
    } else if (receiveCheck != kNoErrors) {
        run.Stop(RunResult::DeviceFailure,
                 "the received data of " + receiveName + " failed the check: " + receiveCheck);
    }
}

} // namespace t8
