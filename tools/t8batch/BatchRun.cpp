#include "tools/t8batch/BatchRun.h"

#include "link/SerialPort.h"
#include "settings/SettingsStore.h"
#include "transfer/DownloadStream.h"
#include "transfer/TransferFiles.h"
#include "transfer/UploadProgress.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace t8 {

namespace {

constexpr std::uint64_t kMsPerSecond = 1000;
constexpr int kViewTimerMs = 250; // the view's timer: prompt at the line start, auto-confirm

std::string WithoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

void PrintLine(const std::string& text) {
    std::printf("%s\n", WithoutLineEnd(text).c_str());
    std::fflush(stdout);
}

} // namespace

BatchRun::BatchRun(const BatchOptions& options_)
    : options(options_), transcript(Transcript::Clock::now()),
      tap(transcript, TextWatch(options.failOn)),
      terminal(
          *this, *this,
          [this] { return std::make_unique<TappedPort>(std::make_unique<SerialPort>(), tap); }),
      executor(*this, *this) {
    report.file = options.file;
    terminal.OnDeviceText([this](const std::uint8_t* bytes, std::size_t count) {
        transcript.Bytes("t8", bytes, count);
    });
    executorTimer.periodMs = BatchExecutor::kTickMs;
    executorTimer.fire = [this] { OnExecutorTick(); };
    viewTimer.periodMs = kViewTimerMs;
    viewTimer.fire = [this] { terminal.Transfers().OnTransferTimer(); };
    loop.Add(executorTimer);
    loop.Add(viewTimer);
    loop.SetHandler([this](const EventLoop::Events& events) { OnEvents(events); });
}

BatchRun::~BatchRun() = default;

int BatchRun::Run() {
    std::string error;
    if (!options.logPath.empty() && !transcript.Open(options.logPath, error)) {
        Stop(RunResult::FileError, "cannot write the log " + options.logPath + ": " + error);
    } else if (!loop.Ok()) {
        Stop(RunResult::PortError, "cannot set up the event loop");
    } else if (CLineFile probe; !probe.Open(options.file)) {
        Stop(RunResult::FileError,
             "cannot open the batch file " + options.file + ": " + probe.Error());
    } else if (executor.Open(options.file) && OpenLink()) {
        loop.Start(executorTimer);
        while (!stopping) {
            loop.Pump();
        }
    }
    CloseCleanly();
    report.lines = executor.LinesExecuted();
    report.elapsedMs = loop.NowMs();
    return ExitCode(report.result);
}

bool BatchRun::OpenLink() {
    SettingsStore store;
    const bool made = terminal.CreateRecord([&](TTYInfo& tty) {
        const StoreStatus status = store.LoadSettings(tty, terminal.Directories());
        if (!status.ok) {
            std::fprintf(stderr, "t8batch: %s\n", status.message.c_str());
        }
    });
    if (!made) {
        Stop(RunResult::PortError, "cannot make the connection record");
        return false;
    }
    SerialLink& link = terminal.Link();
    if (options.baud) {
        link.Record()->baudRate = *options.baud;
    }
    link.SetPortOverride(options.port);
    link.AllowReconnect(false); // a run that lost its device has failed: it waits for nothing
    transcript.Note("open " + link.DevicePath());
    if (link.OpenPort() == 0) {
        Stop(RunResult::PortError, link.OpenFailureMessage());
        return false;
    }
    return true;
}

void BatchRun::OnEvents(const EventLoop::Events& events) {
    if (events.woken) {
        terminal.Link().DispatchReceived();
    }
    if (const int found = tap.failOnFound; found >= 0) {
        Stop(RunResult::DeviceFailure,
             "the device sent \"" + tap.watch.Text(static_cast<std::size_t>(found)) + "\"");
    }
    if (!terminal.Connected()) {
        Stop(RunResult::PortError,
             "the connection to the device on " + terminal.Link().DevicePath() + " was lost");
    }
    if (events.signal != 0) {
        Stop(RunResult::Aborted,
             std::string("stopped by ") + (events.signal == SIGINT ? "SIGINT" : "SIGTERM"));
    }
    if (awaitingEnter && events.inputLine) {
        awaitingEnter = false;
        loop.WatchInput(false);
        executor.Ok();
    } else if (awaitingEnter && events.inputEnded) {
        Stop(RunResult::Aborted, "standard input ended at the KEY pause" + Where());
    }
}

void BatchRun::OnExecutorTick() {
    if (stopping) {
        return;
    }
    executor.Tick();
    if (!stopping) {
        CheckEnd();
    }
    if (!stopping) {
        CheckPause();
        CheckPromptWait();
    }
}

void BatchRun::CheckEnd() {
    switch (executor.End()) {
    case BatchEnd::Running:
        break;
    case BatchEnd::Completed:
        Stop(RunResult::Ok, "batch file executed successfully");
        break;
    case BatchEnd::ScriptError:
    case BatchEnd::LabelNotFound:
        Stop(RunResult::ScriptError, executor.StatusLine() + Where());
        break;
    case BatchEnd::OpenFailed:
        Stop(RunResult::FileError, executor.MessageLine());
        break;
    }
}

void BatchRun::CheckPause() {
    if (!executor.Paused() || awaitingEnter) {
        return;
    }
    switch (options.key.value_or(KeyMode::Continue)) {
    case KeyMode::Continue:
        executor.Ok();
        break;
    case KeyMode::Fail:
        Stop(RunResult::Aborted, "KEY pause with --key fail" + Where());
        break;
    case KeyMode::Wait:
        awaitingEnter = true;
        loop.WatchInput(true);
        std::fprintf(stderr, "t8batch: press Enter to continue, Ctrl+C to stop\n");
        break;
    }
}

void BatchRun::CheckPromptWait() {
    if (!executor.WaitingForPrompt()) {
        waiting = false;
        return;
    }
    const std::uint64_t now = loop.NowMs();
    if (!waiting) {
        waiting = true;
        waitStartMs = now;
    } else if (TimeoutMs() != 0 && now - waitStartMs >= TimeoutMs()) {
        Stop(RunResult::Timeout, "no prompt from the device within " +
                                     std::to_string(options.timeoutSeconds) + " s" + Where());
    }
}

std::uint64_t BatchRun::TimeoutMs() const {
    return static_cast<std::uint64_t>(options.timeoutSeconds) * kMsPerSecond;
}

std::string BatchRun::Where() const {
    if (executor.LineNumber() == 0) {
        return {};
    }
    return " (line " + std::to_string(executor.LineNumber()) + ": " +
           WithoutLineEnd(executor.Line()) + ")";
}

void BatchRun::Stop(RunResult result, const std::string& message) {
    if (stopping) {
        return; // the first cause is the verdict
    }
    stopping = true;
    report.result = result;
    report.message = message;
    transcript.Note("end: " + std::string(ResultName(result)) + ": " + message);
}

// What was typed last may still wait in the driver; the device should get it before DTR drops.
void BatchRun::CloseCleanly() {
    SerialLink& link = terminal.Link();
    const std::uint64_t until = loop.NowMs() + kDrainMs;
    while (link.LineOpen() && link.OutputQueued() > 0 && loop.NowMs() < until) {
        ::usleep(10000);
    }
    link.ClosePort();
}

// The first line is the news; what follows in a message box is advice for the window.
void BatchRun::ShowMessage(const std::string& text, const std::string&, MessageIcon) {
    const std::string news = text.substr(0, text.find('\n'));
    progressLine.End();
    std::fprintf(stderr, "t8batch: %s\n", news.c_str());
    transcript.Note("message: " + text);
    if (text == SerialLink::kNotConnected || !terminal.Connected()) {
        Stop(RunResult::PortError, news);
    }
}

void BatchRun::ShowLinkStatus(const std::string& text) {
    if (!text.empty()) {
        transcript.Note("status: " + text);
    }
}

bool BatchRun::AskOkCancel(const std::string& text, const std::string&) {
    transcript.Note("question, answered Cancel: " + text);
    return false;
}

int BatchRun::RunDownloadDialog(DownloadStream& stream) {
    tap.hostStreaming = true;
    std::uint64_t lastPosition = 0;
    std::uint64_t lastProgressMs = loop.NowMs();
    EventLoop::Timer tick{DownloadStream::kTickMs, {}};
    tick.fire = [&] {
        if (stopping) {
            stream.Cancel();
            return;
        }
        stream.Tick(loop.NowMs()); // a stream whose line went away has ended by itself
        if (stream.Position() != lastPosition || stream.Result() != DownloadStream::kRunning) {
            lastPosition = stream.Position();
            lastProgressMs = loop.NowMs();
        } else if (TimeoutMs() != 0 && loop.NowMs() - lastProgressMs >= TimeoutMs()) {
            Stop(RunResult::Timeout, "the TX of " + stream.FileNameText() +
                                         " made no progress for " +
                                         std::to_string(options.timeoutSeconds) + " s" + Where());
            stream.Cancel();
        }
        progressLine.Show("TX " + stream.FileNameText() + ": " + std::to_string(stream.Position()) +
                          "/" + std::to_string(stream.Length()) + " bytes (" +
                          std::to_string(stream.Percent()) + "%)");
    };
    loop.PumpWith(tick, [&] { return stream.Result() != DownloadStream::kRunning; });
    progressLine.End();
    tap.hostStreaming = false;
    return stream.Result();
}

int BatchRun::RunUploadDialog(UploadProgress& progress) {
    receiveRan = true;
    EventLoop::Timer tick{UploadProgress::kTickMs, {}};
    tick.fire = [&] {
        if (stopping) {
            progress.Finish(); // what arrived is kept
        }
        const std::uint64_t silentMs =
            static_cast<std::uint64_t>(progress.SilentTicks() + 1) * UploadProgress::kTickMs;
        if (TimeoutMs() != 0 && silentMs > TimeoutMs() &&
            progress.SilentTicks() < UploadProgress::kSilentTicksToClose) {
            Stop(RunResult::Timeout, "the RX into " + NameOf(receiveName) +
                                         " made no progress for " +
                                         std::to_string(options.timeoutSeconds) + " s" + Where());
            progress.Finish();
        }
        progress.Tick();
        progressLine.Show("RX " + NameOf(receiveName) + ": " + progress.BytesText());
    };
    loop.PumpWith(tick, [&] { return progress.Result() != UploadProgress::kRunning; });
    progressLine.End();
    receiveCheck = progress.StatusText();
    return progress.Result();
}

void BatchRun::Wait(int ms) {
    EventLoop::Timer deadline{ms, [] {}}; // wakes the loop when the time is up
    const std::uint64_t until = loop.NowMs() + static_cast<std::uint64_t>(ms);
    loop.PumpWith(deadline, [&] { return loop.NowMs() >= until; });
}

int BatchRun::TypeKey(std::uint8_t key) {
    receiveRan = false;
    const int typed = terminal.Transfers().TypeKey(key);
    if (receiveRan) {
        AfterReceive();
    }
    return typed;
}

bool BatchRun::PromptSeen() const {
    return terminal.Transfers().PromptSeen();
}

void BatchRun::ClearPromptSeen() {
    terminal.Transfers().ClearPromptSeen();
}

RawSendResult BatchRun::SendFileRaw(const std::string& path) {
    transcript.Note("tx: " + path);
    const RawSendResult result = terminal.Transfers().SendFileRaw(path);
    switch (result.outcome) {
    case RawSendOutcome::Sent:
    case RawSendOutcome::Cancelled:
        report.sent.push_back({path, result.bytes});
        transcript.Note("tx: " + path + " " + std::to_string(result.bytes) + " bytes" +
                        (result.outcome == RawSendOutcome::Cancelled ? ", cancelled" : ""));
        break;
    case RawSendOutcome::FileError:
        Stop(RunResult::FileError, "cannot read the TX file " + path + Where());
        break;
    case RawSendOutcome::PortError:
        Stop(RunResult::PortError, "the port is closed: the TX file " + path + " was not sent");
        break;
    }
    return result;
}

void BatchRun::PrepareBatchReceive(const std::string& name) {
    receiveName = name;
    transcript.Note("rx: armed for " + name);
    terminal.Transfers().PrepareBatchReceive(name);
}

void BatchRun::AfterReceive() {
    const FileReceiver& receiver = terminal.Transfers().Receiver();
    const std::uint64_t bytes = receiver.Received().ReceivedCount();
    report.received.push_back({receiveName, bytes, receiveCheck});
    transcript.Note("rx: " + receiveName + " " + std::to_string(bytes) + " bytes, " + receiveCheck);
    if (receiver.PresetReceive()) {
        Stop(RunResult::FileError, "cannot write the RX file " + receiveName + Where());
    } else if (receiveCheck != kNoErrors) {
        Stop(RunResult::DeviceFailure,
             "the received data of " + receiveName + " failed the check: " + receiveCheck);
    }
}

void BatchRun::ShowTexts(const BatchTexts& texts) {
    if (texts.messageSet && !texts.message.empty()) {
        PrintLine(texts.message);
    }
    if (texts.statusSet && !texts.status.empty()) {
        PrintLine(texts.status);
    }
}

void BatchRun::LineStarted(std::size_t number, const std::string& line) {
    transcript.Note("line " + std::to_string(number) + ": " + WithoutLineEnd(line));
}

} // namespace t8
