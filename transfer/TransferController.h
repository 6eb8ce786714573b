#pragma once

#include "batch/BatchFiles.h"
#include "batch/BatchTerminal.h"
#include "link/LineWatch.h"
#include "transfer/FileReceiver.h"
#include "transfer/LibraryDownload.h"
#include "transfer/PromptKeys.h"
#include "transfer/TransferFields.h"
#include "transfer/TransferRoles.h"

#include <cstdint>
#include <functional>
#include <string>

namespace t8 {

class RequestDesk;
class SerialLink;
struct DirectorySettings;

// The view's transfer state: the address prompt, the send and receive commands, Enter and Esc
// at the prompt, and the view's 250 ms timer work; the terminal a batch file runs on. Owned by
// the view, on its thread. Every prompt switches the local echo off until its transfer ends or
// is cancelled; when the port goes away an armed prompt is cancelled and a running transfer
// ends (see LineWatch).
class TransferController : public PromptKeys, public BatchTerminal {
public:
    using TypeKeyFunction = std::function<int(std::uint8_t)>;

    static constexpr int kStartupBatchTick = 8; // about 2 s after the port opened

    // `roles`: what the host plays for the transfers (all five of them are used here).
    // `typeKey` is the view's TypeKey: the timer's carriage return goes through it, so it is
    // echoed and confirms the prompt like a typed one.
    TransferController(SerialLink& link, const TransferRoles& roles, RequestDesk& doc,
                       const DirectorySettings& dirs, TypeKeyFunction typeKey);
    TransferController(const TransferController&) = delete;
    TransferController& operator=(const TransferController&) = delete;

    void SetStartupBatch(StartupBatch batch) { startupBatch = std::move(batch); }

    void SendFileCommand();
    void SendNamedFile(const std::string& path);
    void ArmSend(const std::string& path);
    void DownloadEepromCommand();
    void ReceiveFileCommand() { receiver.ReceiveCommand("SE"); }
    void UploadEepromCommand() { receiver.ReceiveCommand("SX"); }
    void ReceiveLibraryCommand() { library.ReceiveLibraryCommand(); }
    // New directory settings: every file dialog next starts from them, not where it ended.
    void ForgetDialogLocations();
    // F12: a batch file chosen in the batch directory, run by the window.
    void ExecuteBatchCommand();
    void FeedReceive(const std::uint8_t* bytes, std::size_t count) {
        receiver.FeedReceive(bytes, count);
    }
    // The timer's steps; the view places the caret afterwards.
    void OnTransferTimer();
    // The document's pending request, if any: the timer's first step, also run by the view
    // when the port is closed and no timer runs. A download needs the port and says so.
    void CarryOutRequest();

    // What the screen processing shows while addressPromptActive is set.
    void PromptCharacter(std::uint8_t byte) { fields.prompt.Character(byte); }
    void PromptBackspace() { fields.prompt.Backspace(); }
    // Clear screen puts the prompt's edit position back to 0.
    void ScreenCleared() { fields.prompt.ResetEditPos(); }

    // PromptKeys
    void StartSend() override;
    void FinishReceive() override { receiver.FinishReceive(); }
    void CancelPrompt() override;

    // BatchTerminal
    int TypeKey(std::uint8_t key) override { return typeKey(key); }
    [[nodiscard]] bool PromptSeen() const override;
    void ClearPromptSeen() override;
    // A TX line's file, streamed as it is; nothing is sent on cancel.
    RawSendResult SendFileRaw(const std::string& path) override;
    void PrepareBatchReceive(const std::string& name) override {
        receiver.PrepareBatchReceive(name);
    }

    [[nodiscard]] const TransferFields& Fields() const { return fields; }
    [[nodiscard]] const FileReceiver& Receiver() const { return receiver; }
    [[nodiscard]] const LibraryDownload& Library() const { return library; }
    [[nodiscard]] const StartupBatch& PendingStartupBatch() const { return startupBatch; }

    static constexpr char kPortClosedForSend[] =
        ": the port to the T8 is not open.\nOpen it with Port parameters (Ctrl+R), then open "
        "the file again.";
    static constexpr char kPortClosedForBatch[] =
        "Cannot run a batch file: the port to the T8 is not open.\nOpen it with Port parameters "
        "(Ctrl+R), then try again.";

private:
    void ConfirmArmedSend();
    void MarkPromptAtLineStart();
    void CountDownStartupBatch();
    void StreamFile();
    [[nodiscard]] bool SendCommand(const char* command);

    SerialLink& link;
    TransferRoles roles;
    RequestDesk& doc;
    const DirectorySettings& dirs;
    TypeKeyFunction typeKey;
    TransferFields fields;
    FileReceiver receiver;
    LibraryDownload library;
    StartupBatch startupBatch;
    int timerTicks = 0;
    LineWatch lineWatch; // an armed prompt ends with the port
};

} // namespace t8
