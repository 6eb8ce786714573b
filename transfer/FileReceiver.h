#pragma once

#include "transfer/ReceiveStream.h"
#include "transfer/TransferFields.h"
#include "transfer/TransferRoles.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace t8 {

class SerialLink;
class UploadProgress;
struct DirectorySettings;

// Receiving from the T8 ("SE", "SX", a batch receive): arms the prompt (local echo off, the
// device's XON/XOFF taken as data), diverts the received blocks into the buffer behind
// "Upload progress.....", saves them and brings the device back to its prompt. A receive that
// ends early (silence, the port going away, the host stopping it) is saved as well, and said to
// be incomplete; a batch's receive is then saved under its name with kPartialSuffix, never over
// the file it names.
class FileReceiver {
public:
    static constexpr int kCloseWaitMs = 100;
    static constexpr std::size_t kBatchPromptBlanks = 45;
    static constexpr char kPartialSuffix[] = ".partial";

    // All five of the host's roles are used: the range's prompt text, the progress, the save
    // dialog, the messages, the pauses at the close and the examine dialog after it.
    FileReceiver(SerialLink& link, const TransferRoles& roles, TransferFields& fields,
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
    // Where the last receive was saved (empty when it was not), and whether that is the
    // partial file beside a batch's named one.
    [[nodiscard]] const std::string& SavedPath() const { return savedPath; }
    [[nodiscard]] bool SavedPartial() const { return savedPartial; }
    // Why the last write of a received file failed, in the system's words; empty after one
    // that worked.
    [[nodiscard]] const std::string& SaveError() const { return saveError; }
    // The file a batch's last receive was to be saved to (its partial name when cut short),
    // whether or not that worked.
    [[nodiscard]] const std::string& AttemptedPath() const { return attemptedPath; }

private:
    void Arm(std::string promptText);
    void SaveReceived(const UploadProgress& progress, bool earlyEndTold);
    [[nodiscard]] std::string ChooseTarget();
    [[nodiscard]] bool WriteTarget();
    // `partialPath`: where a batch's incomplete data go; empty for the operator's own choice.
    static void RemoveLink(const std::string& path);
    void ReportCut(const std::string& partialPath);
    // `endTold`: the operator knows the receive ended early; only where the data went is news.
    void ReportEarlyEnd(const UploadProgress& progress, const std::string& partialPath,
                        bool endTold);
    // `quiet`: nothing more goes to the device (the line is gone, or the host stopped).
    void Close(bool quiet);

    SerialLink& link;
    TransferRoles roles;
    TransferFields& fields;
    const DirectorySettings& dirs;
    ReceiveStream receive;
    UploadProgress* receiveDialog = nullptr;
    std::string lastUploadDir;
    std::string presetReceivePath;
    std::uint32_t presetReceive = 0;
    std::uint32_t examineAfterReceive = 1;
    std::string savedPath;
    bool savedPartial = false;
    std::string saveError;
    std::string attemptedPath;
};

// The name a batch's incomplete receive is kept under, beside the file it names.
[[nodiscard]] std::string PartialName(const std::string& path);

} // namespace t8
