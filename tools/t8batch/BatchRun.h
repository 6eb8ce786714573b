#pragma once

#include "batch/BatchExecutor.h"
#include "batch/BatchTerminal.h"
#include "link/LinkUi.h"
#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/EventLoop.h"
#include "tools/t8batch/HeadlessTerminal.h"
#include "tools/t8batch/ProgressLine.h"
#include "tools/t8batch/RunReport.h"
#include "tools/t8batch/TappedPort.h"
#include "tools/t8batch/Transcript.h"
#include "transfer/TransferUi.h"

#include <cstdint>
#include <string>

namespace t8 {

// One unattended run of a batch file: the executor on a headless terminal, driven by an event
// loop instead of a window, with the verdict a production line needs. Everything runs on the
// calling thread but the port's reader.
class BatchRun : public LinkUi, public TransferUi, public BatchTerminal, public BatchDisplay {
public:
    // Longest wait for the line to take what was typed last before the port is closed.
    static constexpr int kDrainMs = 2000;
    static constexpr const char* kNoErrors = "No errors.";

    explicit BatchRun(const BatchOptions& options);
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;
    ~BatchRun() override;

    // Runs the batch and returns the exit status; the report is then complete.
    int Run();
    [[nodiscard]] const RunReport& Report() const { return report; }

    // LinkUi (ShowMessage, StartViewTimer and StopViewTimer are shared with TransferUi)
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void SetWaitCursor(bool) override {}
    void StartViewTimer() override { loop.Start(viewTimer); }
    void StopViewTimer() override { loop.Stop(viewTimer); }
    void ShowCaret(bool) override {}
    void WakeForReceived() override { loop.Wake(); }
    void Debug(const std::string&) override {}
    // The line's state goes to the transcript; the run's verdict says what counts.
    void ShowLinkStatus(const std::string& text) override;
    // A lost device ends the run: nothing is awaited, so no retries either.
    void SetReconnectTimer(bool) override {}

    // TransferUi: never a dialog; the progress dialogs become loops of their ticks.
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void SetPromptText(const std::string&) override {}
    // Nobody is there to answer: the cautious answer.
    bool AskOkCancel(const std::string& text, const std::string&) override;
    int RunDownloadDialog(DownloadStream& stream) override;
    int RunUploadDialog(UploadProgress& progress) override;
    void OpenExamine(const std::string&, bool) override {}
    void RunBatch(const std::string&) override {}
    void Wait(int ms) override;

    // BatchTerminal: the transfers', with what each step means for the verdict.
    int TypeKey(std::uint8_t key) override;
    [[nodiscard]] bool PromptSeen() const override;
    void ClearPromptSeen() override;
    RawSendResult SendFileRaw(const std::string& path) override;
    void PrepareBatchReceive(const std::string& name) override;

    // BatchDisplay
    void ShowTexts(const BatchTexts& texts) override;
    void LineStarted(std::size_t number, const std::string& line) override;

private:
    [[nodiscard]] bool OpenLink();
    void OnEvents(const EventLoop::Events& events);
    void OnExecutorTick();
    void CheckEnd();
    void CheckPause();
    void CheckPromptWait();
    void AfterReceive();
    void Stop(RunResult result, const std::string& message);
    void CloseCleanly();
    [[nodiscard]] std::string Where() const;
    [[nodiscard]] std::uint64_t TimeoutMs() const;

    const BatchOptions& options;
    Transcript transcript;
    LineTap tap;
    EventLoop loop;
    HeadlessTerminal terminal;
    BatchExecutor executor;
    EventLoop::Timer executorTimer;
    EventLoop::Timer viewTimer;
    RunReport report;
    bool stopping = false;
    bool awaitingEnter = false;
    bool receiveRan = false;
    std::uint64_t waitStartMs = 0;
    bool waiting = false;
    std::string receiveName;
    std::string receiveCheck;
    ProgressLine progressLine;
};

} // namespace t8
