#pragma once

#include "batch/BatchExecutor.h"
#include "batch/BatchTerminal.h"
#include "link/LinkUi.h"
#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/EventLoop.h"
#include "tools/t8batch/HeadlessTerminal.h"
#include "tools/t8batch/PortSeat.h"
#include "tools/t8batch/RunPacing.h"
#include "tools/t8batch/RunReport.h"
#include "tools/t8batch/RunSerial.h"
#include "tools/t8batch/RunTransfers.h"
#include "tools/t8batch/TappedPort.h"
#include "tools/t8batch/TextWatch.h"
#include "tools/t8batch/Transcript.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferProgress.h"
#include "transfer/TransferTimer.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace t8 {

// One unattended run of a batch file: the executor on a headless terminal, driven by an event
// loop instead of a window, with the verdict a production line needs. Everything runs on the
// calling thread but the port's reader.
//
// The first cause of an end is the verdict. From then on nothing is typed to the device: a
// running transfer ends with what it has (a receive is kept as partial, never over the file it
// names), the port is closed, and the transcript's last line, the JUnit report and the record
// say how the run ended.
class BatchRun : public LinkUi,
                 public TransferMessages,
                 public TransferProgress,
                 public TransferTimer,
                 public BatchTerminal,
                 public BatchDisplay,
                 private RunControl {
public:
    // Longest wait for the line to take what was typed last before the port is closed.
    static constexpr int kDrainMs = 2000;

    // In a gang, `seat` names the gang and the port: the run's RX files and lines carry the
    // port's name, it shows no progress, and the gang writes the JUnit report of all ports.
    BatchRun(const BatchOptions& options, std::string version, PortSeat seat = {});
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;
    ~BatchRun() override;

    // Runs the batch and returns the exit status; the report is then complete.
    int Run();
    [[nodiscard]] const RunReport& Report() const { return report; }
    // The loop a gang drives this run on.
    [[nodiscard]] EventLoop& Loop() { return loop; }
    // An output would have destroyed a file: none of them was written.
    [[nodiscard]] bool OutputsRefused() const { return outputsRefused; }

    // LinkUi (ShowMessage is shared with TransferMessages, StartViewTimer and StopViewTimer
    // with TransferTimer)
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void SetWaitCursor(bool) override {}
    void StartViewTimer() override { pacing.StartViewTimer(); }
    void StopViewTimer() override { pacing.StopViewTimer(); }
    void ShowCaret(bool) override {}
    void WakeForReceived() override { loop.Wake(); }
    void Debug(const std::string&) override {}
    // The line's state goes to the transcript; the run's verdict says what counts.
    void ShowLinkStatus(const std::string& text) override;
    // A lost device ends the run: nothing is awaited, so no retries either.
    void SetReconnectTimer(bool) override {}

    // TransferMessages: with nobody there to answer, a question gets the cautious answer.
    bool AskOkCancel(const std::string& text, const std::string&) override;
    // TransferProgress: never a dialog; the progress dialogs become loops of their ticks.
    int RunDownloadDialog(DownloadStream& stream) override { return transfers.Send(stream); }
    int RunUploadDialog(UploadProgress& progress) override { return transfers.Receive(progress); }
    // TransferTimer
    void Wait(int ms) override { transfers.Wait(ms); }

    // BatchTerminal: the transfers', with what each step means for the verdict.
    int TypeKey(std::uint8_t key) override { return transfers.TypeKey(key); }
    [[nodiscard]] bool PromptSeen() const override;
    void ClearPromptSeen() override;
    RawSendResult SendFileRaw(const std::string& path) override {
        return transfers.SendFileRaw(path, serial.SendPath(path));
    }
    [[nodiscard]] std::string TxFileProblem(const std::string& path) const override;
    void PrepareBatchReceive(const std::string& name) override;

    // BatchDisplay
    void ShowTexts(const BatchTexts& texts) override;
    void LineStarted(std::size_t number, const std::string& line) override;

private:
    [[nodiscard]] bool Start();
    [[nodiscard]] bool StopSignalled();
    [[nodiscard]] bool OpenLink();
    void OnEvents(const EventLoop::Events& events);
    void OnDeviceText(const std::uint8_t* bytes, std::size_t count);
    void OnExecutorTick();
    // The view's timer; false once the run is stopping.
    [[nodiscard]] bool OnViewTimer();
    void CheckEnd();
    void CheckPause();
    void AnswerPause();
    void CheckPromptWait();
    // RunControl
    [[nodiscard]] bool Stopping() const override;
    void Stop(RunResult result, const std::string& message) override;
    [[nodiscard]] std::string Where() const override;
    void Tell(const std::string& text) override;

    void CloseCleanly();
    void Finish();
    [[nodiscard]] std::uint64_t TimeoutMs() const;
    // A line for the terminal, with the port's name in a gang.
    [[nodiscard]] std::string Marked(const std::string& text) const;

    const BatchOptions& options;
    const std::string version;
    const PortSeat seat;
    std::chrono::system_clock::time_point startedAt = std::chrono::system_clock::now();
    Transcript transcript;
    LineTap tap;
    EventLoop loop;
    HeadlessTerminal terminal;
    BatchExecutor executor;
    RunPacing pacing;
    EventLoop::Timer deadlineTimer;
    TextWatch failOn;
    RunReport report;
    bool stopping = false;
    bool outputsRefused = false;
    bool awaitingEnter = false;
    std::uint64_t waitStartMs = 0;
    bool waiting = false;
    RunTransfers transfers;
    RunSerial serial;
};

} // namespace t8
