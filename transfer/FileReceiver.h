#pragma once

#include "transfer/ReceiveStream.h"
#include "transfer/TransferFields.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace t8 {

class SerialLink;
class TransferUi;
class UploadProgress;
struct DirectorySettings;

// Receiving from the T8 ("SE", "SX", a batch receive): arms the prompt (local echo off, the
// device's XON/XOFF taken as data), diverts the received blocks into the buffer behind
// "Upload progress.....", saves them and brings the device back to its prompt. A receive that
// ends early (silence, or the port going away) is saved as well, and said to be incomplete.
class FileReceiver {
public:
    static constexpr int kCloseWaitMs = 100;
    static constexpr std::size_t kBatchPromptBlanks = 45;

    FileReceiver(SerialLink& link, TransferUi& ui, TransferFields& fields,
                 const DirectorySettings& dirs);
    FileReceiver(const FileReceiver&) = delete;
    FileReceiver& operator=(const FileReceiver&) = delete;

    // "SE" or "SX": prompt armed, operator asked for the range. The prompt is armed even when
    // the command could not be sent.
    void ReceiveCommand(std::string_view command);
    // Arms a receive with a preset file name; the batch types the device command itself.
    void PrepareBatchReceive(const std::string& name);
    // Enter at the prompt (its carriage return already sent): receive, save, close.
    void FinishReceive();
    // A received block while receiveActive is set.
    void FeedReceive(const std::uint8_t* bytes, std::size_t count);

    [[nodiscard]] const std::string& LastUploadDir() const { return lastUploadDir; }
    void ForgetLastUploadDir() { lastUploadDir.clear(); }
    [[nodiscard]] const ReceiveStream& Received() const { return receive; }
    [[nodiscard]] bool PresetReceive() const { return presetReceive != 0; }
    [[nodiscard]] bool ExamineAfterReceive() const { return examineAfterReceive != 0; }
    [[nodiscard]] const UploadProgress* ReceiveDialog() const { return receiveDialog; }

private:
    void Arm(std::string promptText);
    void SaveReceived(const UploadProgress& progress, bool earlyEndTold);
    [[nodiscard]] std::string ChooseTarget();
    [[nodiscard]] bool WriteTarget();
    void ReportCut();
    void ReportEarlyEnd(const UploadProgress& progress);
    // `lineLost`: no device is left to bring back to its prompt.
    void Close(bool lineLost);

    SerialLink& link;
    TransferUi& ui;
    TransferFields& fields;
    const DirectorySettings& dirs;
    ReceiveStream receive;
    UploadProgress* receiveDialog = nullptr;
    std::string lastUploadDir;
    std::string presetReceivePath;
    std::uint32_t presetReceive = 0;
    std::uint32_t examineAfterReceive = 1;
};

} // namespace t8
