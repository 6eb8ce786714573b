#include "tools/t8batch/BatchRun.h"

#include "batch/CLineFile.h"
#include "batch/ScriptCheck.h"
#include "link/LineFrame.h"
#include "link/LinkNotices.h"
#include "link/PortFactory.h"
#include "settings/SettingsStore.h"
#include "tools/t8batch/FileHash.h"
#include "tools/t8batch/GangPorts.h"
#include "tools/t8batch/RunFiles.h"
#include "tools/t8batch/RunOutputs.h"
#include "tools/t8batch/RunWords.h"
#include "transfer/DownloadStream.h"
#include "transfer/TransferFiles.h"
#include "transfer/UploadProgress.h"

#include <cstdio>

namespace t8 {

namespace {

constexpr std::uint64_t kMsPerSecond = 1000;

} // namespace

BatchRun::BatchRun(const BatchOptions& options_, std::string version_, PortSeat seat_)
    : options(options_), version(std::move(version_)), seat(std::move(seat_)),
      transcript(Transcript::Clock::now()), tap(transcript), loop(seat.gang),
      terminal(*this, {*this, *this, *this}, TappedPorts(MakePort, tap)), executor(*this, *this),
      pacing(
          loop, executor, *this, options.stepMs, [this] { OnExecutorTick(); },
          [this] { return OnViewTimer(); }),
      failOn(options.failOn),
      transfers({loop, terminal, transcript, tap, report}, *this, options.timeoutSeconds),
      serial(options.serialPath, transcript, report) {
    report.file = options.file;
    report.startedUtc = UtcTimestamp(startedAt);
    report.station = StationName();
    transfers.ShowProgress(!seat.InGang()); // one bar per port would garble the terminal
    terminal.OnDeviceText(
        [this](const std::uint8_t* bytes, std::size_t count) { OnDeviceText(bytes, count); });
    terminal.OnReceiveData([this](const std::uint8_t*, std::size_t) { failOn.Reset(); });
    deadlineTimer.periodMs = options.deadlineSeconds * static_cast<int>(kMsPerSecond);
    deadlineTimer.fire = [this] {
        Stop(RunResult::Timeout, "the run passed its --deadline of " +
                                     std::to_string(options.deadlineSeconds) + " s" + Where());
    };
    loop.Add(deadlineTimer);
    loop.SetHandler([this](const EventLoop::Events& events) { OnEvents(events); });
}

BatchRun::~BatchRun() = default;

int BatchRun::Run() {
    if (options.deadlineSeconds > 0) {
        loop.Start(deadlineTimer);
    }
    if (Start() && !StopSignalled() && OpenLink()) {
        pacing.Start();
        while (!stopping) {
            loop.Pump();
        }
    }
    Finish();
    return ExitCode(report.result);
}

// A stop signal while no loop ran (the checks before the port opens) ends the run there.
bool BatchRun::StopSignalled() {
    if (const int signal = loop.PendingSignal(); signal != 0) {
        Stop(RunResult::Aborted, std::string("stopped by ") + EventLoop::SignalName(signal));
    }
    return stopping;
}

// Everything that can fail before the device is touched, in an order that never destroys a
// file: no output is opened before all are checked against every file the run uses.
bool BatchRun::Start() {
    RunPlan plan = PlanRun(options, seat.name);
    if (!plan.outputsProblem.empty()) {
        Stop(RunResult::FileError, plan.outputsProblem);
        outputsRefused = true; // none is written: one of them would destroy a file
        return false;
    }
    std::string error;
    if (!options.logPath.empty() && !transcript.Open(options.logPath, error)) {
        Stop(RunResult::FileError, "cannot write the log " + options.logPath + ": " + error);
        return false;
    }
    transcript.Header("t8batch " + version + ", started " + report.startedUtc + " on " +
                      report.station + ", batch file " + options.file);
    if (!plan.readError.empty()) {
        Stop(RunResult::FileError,
             "cannot open the batch file " + options.file + ": " + plan.readError);
        return false;
    }
    report.fileSha256 =
        Sha256({reinterpret_cast<const std::uint8_t*>(plan.text.data()), plan.text.size()});
    if (!loop.Ok()) {
        Stop(RunResult::PortError, "cannot set up the event loop");
        return false;
    }
    if (const auto refusal = Refusal(plan.check)) {
        Stop(refusal->first, refusal->second);
        return false;
    }
    // a number reserved is handed back by Finish whatever stops the run
    if (const std::string problem = serial.Start(plan.files.tx); !problem.empty()) {
        Stop(RunResult::FileError, "--serial: " + problem);
        return false;
    }
    executor.OpenText(std::move(plan.text), options.file);
    return true;
}

bool BatchRun::OpenLink() {
    SettingsStore store;
    const bool made = terminal.CreateRecord([&](TTYInfo& tty) {
        const StoreStatus status = store.LoadSettings(tty, terminal.Directories());
        if (!status.ok) {
            std::fprintf(stderr, "t8batch: %s\n", Marked(status.message).c_str());
        }
    });
    if (!made) {
        Stop(RunResult::PortError, "cannot make the connection record");
        return false;
    }
    SerialLink& link = terminal.Link();
    if (options.baud) {
        link.Record()->com.baudRate = *options.baud;
    }
    link.SetPortOverride(options.port);
    link.AllowReconnect(false); // a run that lost its device has failed: it waits for nothing
    report.device.port = link.DevicePath();
    transcript.Note("open " + link.DevicePath());
    if (link.OpenPort() == 0) {
        const LinkError& error = link.LastOpenError();
        const std::string frame =
            error.kind == LinkErrorKind::Settings ? FrameProblem(link.Record()->com.Line()) : "";
        Stop(RunResult::PortError, PortOpenFailure(link.DevicePath(), error, frame));
        return false;
    }
    const DeviceIdentity& identity = link.Identity();
    report.device.node = identity.node;
    report.device.byId = identity.byIdLink;
    report.device.usbSerial = UsbSerialNumber(identity.node);
    return true;
}

void BatchRun::OnEvents(const EventLoop::Events& events) {
    if (events.woken) {
        terminal.Link().DispatchReceived();
    }
    if (events.signal != 0) {
        Stop(RunResult::Aborted, std::string("stopped by ") + EventLoop::SignalName(events.signal));
    }
    if (transcript.Failed()) {
        Stop(RunResult::FileError,
             "cannot write the log " + options.logPath + ": " + transcript.Failure());
    }
    if (!terminal.Connected()) {
        Stop(RunResult::PortError,
             "the connection to the device on " + terminal.Link().DevicePath() + " was lost");
    }
    if (awaitingEnter && (events.inputLine || events.inputEnded)) {
        AnswerPause();
    }
    if (events.woken && !stopping) {
        pacing.PromptMayHaveCome();
    }
}

// Only the device's text reaches here, never a receive's data or the link's own lines.
void BatchRun::OnDeviceText(const std::uint8_t* bytes, std::size_t count) {
    transcript.Bytes("t8", bytes, count);
    transfers.DeviceText(bytes, count);
    if (const auto found = failOn.Feed(bytes, count)) {
        Stop(RunResult::DeviceFailure, "the device sent \"" + failOn.Text(*found) + "\"" + Where());
    }
}

bool BatchRun::OnViewTimer() {
    if (!stopping) {
        terminal.Transfers().OnTransferTimer(); // may find the prompt at the line start
    }
    return !stopping;
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
    case BatchEnd::FileError:
        Stop(RunResult::FileError, executor.StatusLine() + Where());
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
        AnswerPause(); // an Enter typed ahead answers it at once
        break;
    }
}

// A line from standard input goes on; its end stops the run, once the lines it brought are used.
void BatchRun::AnswerPause() {
    if (loop.TakeLine()) {
        awaitingEnter = false;
        loop.WatchInput(false);
        executor.Ok();
    } else if (loop.InputEnded()) {
        Stop(RunResult::Aborted, "standard input ended at the KEY pause" + Where());
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

bool BatchRun::Stopping() const {
    return stopping;
}

void BatchRun::Tell(const std::string& text) {
    if (report.message.find(text) == std::string::npos) {
        report.message += "; " + text;
    }
}

void BatchRun::Stop(RunResult result, const std::string& message) {
    if (stopping) {
        return; // the first cause is the verdict
    }
    stopping = true;
    report.result = result;
    report.message = message;
    report.failingLine = result == RunResult::Ok ? 0 : executor.LineNumber();
}

// What was typed last may still wait in the driver; the device should get it before DTR drops.
void BatchRun::CloseCleanly() {
    SerialLink& link = terminal.Link();
    const std::uint64_t until = loop.NowMs() + kDrainMs;
    while (link.LineOpen() && link.OutputQueued() > 0 && loop.NowMs() < until) {
        loop.Sleep(10);
    }
    link.ClosePort();
}

void BatchRun::Finish() {
    CloseCleanly();
    transfers.EndProgress();
    report.lines = executor.LinesExecuted();
    report.elapsedMs = loop.NowMs();
    if (!report.steps.empty()) {
        report.steps.back().endMs = report.elapsedMs;
    }
    serial.Finish();
    if (!outputsRefused) {
        BatchOptions outputs = options;
        if (seat.InGang()) {
            outputs.junitPath.clear(); // the gang's report holds every port's
        }
        WriteOutputs(report, outputs, version, transcript,
                     [this] { return loop.PendingSignal() != 0; });
    }
}

// The first line is the news; what follows in a message box is advice for the window.
void BatchRun::ShowMessage(const std::string& text, const std::string&, MessageIcon) {
    const std::string news = News(text);
    transfers.EndProgress();
    std::fprintf(stderr, "t8batch: %s\n", Marked(news).c_str());
    transcript.Note("message: " + news);
    if (text == SerialLink::kNotConnected || !terminal.Connected()) {
        Stop(RunResult::PortError, news);
    }
}

void BatchRun::ShowLinkStatus(const std::string& text) {
    if (!text.empty() && !stopping) {
        transcript.Note("status: " + WithoutWindowAdvice(text));
    }
}

bool BatchRun::AskOkCancel(const std::string& text, const std::string&) {
    transcript.Note("question, answered Cancel: " + News(text));
    return false;
}

bool BatchRun::PromptSeen() const {
    return terminal.Transfers().PromptSeen();
}

void BatchRun::ClearPromptSeen() {
    terminal.Transfers().ClearPromptSeen();
}

std::string BatchRun::TxFileProblem(const std::string& path) const {
    return t8::TxFileProblem(path);
}

void BatchRun::ShowTexts(const BatchTexts& texts) {
    const KeyMode key = options.key.value_or(KeyMode::Continue);
    if (texts.messageSet && !OwnWords(texts.message, key).empty()) {
        PrintLine(Marked(OwnWords(texts.message, key)));
    }
    if (texts.statusSet && !OwnWords(texts.status, key).empty()) {
        PrintLine(Marked(OwnWords(texts.status, key)));
    }
}

void BatchRun::PrepareBatchReceive(const std::string& name) {
    transfers.PrepareBatchReceive(seat.InGang() ? PortFileName(name, seat.name) : name);
}

std::string BatchRun::Marked(const std::string& text) const {
    return seat.InGang() ? seat.name + ": " + text : text;
}

void BatchRun::LineStarted(std::size_t number, const std::string& line) {
    const std::uint64_t now = loop.NowMs();
    if (!report.steps.empty()) {
        report.steps.back().endMs = now;
    }
    report.steps.push_back({number, WithoutLineEnd(line), now, now});
    transcript.Note("line " + std::to_string(number) + ": " + WithoutLineEnd(line));
}

} // namespace t8
