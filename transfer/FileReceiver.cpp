#include "transfer/FileReceiver.h"

#include "link/SerialLink.h"
#include "settings/DirectorySettings.h"
#include "transfer/FileFilters.h"
#include "transfer/TransferFiles.h"
#include "transfer/UploadProgress.h"
#include "transfer/save/SaveFile.h"

#include <sys/stat.h>
#include <unistd.h>

namespace t8 {

FileReceiver::FileReceiver(SerialLink& link_, const TransferRoles& roles_, TransferFields& fields_,
                           const DirectorySettings& dirs_)
    : link(link_), roles(roles_), fields(fields_), dirs(dirs_) {}

void FileReceiver::Arm(std::string promptText) {
    fields.transferFormat = TransferFormat::FormatBinary; // until a keyword says otherwise
    receive.Arm();
    if (TTYInfo* tty = link.Record()) {
        tty->transfer.addressPromptActive = 1;
        // Enter now confirms this receive, not a send armed before it
        tty->transfer.sendPending = 0;
        tty->line.echoActive = 0; // the device echoes the typed range itself
    }
    link.HoldFlowControl(true);
    fields.prompt.Arm(std::move(promptText));
}

void FileReceiver::ReceiveCommand(std::string_view command) {
    Arm({});
    roles.window.SetPromptText(kAddressPromptText);
    link.SendBytes(command);
}

void FileReceiver::PrepareBatchReceive(const std::string& name) {
    Arm(std::string(kBatchPromptBlanks, ' '));
    presetReceive = 1;
    fields.transferPath = name;
    presetReceivePath = name;
    examineAfterReceive = 0;
}

void FileReceiver::FinishReceive() {
    TTYInfo* tty = link.Record();
    if (tty == nullptr) {
        return;
    }
    tty->transfer.addressPromptActive = 0;
    tty->transfer.receiveActive = 1;
    fields.ParsePromptText();
    if (receiveDialog != nullptr) {
        return;
    }
    receive.SetRange({fields.transferFormat, fields.rangeStart, fields.rangeEnd});
    UploadProgress progress;
    progress.SetSilenceIsTheEnd(receive.EndsBySilence());
    const LineWatch watch(link, [this, &progress](LineLoss) {
        progress.LineLost();
        return "The receive was stopped after " + std::to_string(receive.ReceivedCount()) +
               " bytes; they are kept for saving.";
    });
    receiveDialog = &progress;
    link.flags.displayHeld = 1;
    const int outcome = roles.progress.RunUploadDialog(progress);
    if (outcome == TransferProgress::kDialogCancelled) {
        SendAbortEscapes(link);
    } else {
        link.flags.displayHeld = 0;
        // a hang-up's message has said what became of the data already
        SaveReceived(progress, watch.Loss() == LineLoss::HangUp);
    }
    Close(outcome == TransferProgress::kDialogLineLost ||
          outcome == TransferProgress::kDialogStopped);
}

void FileReceiver::FeedReceive(const std::uint8_t* bytes, std::size_t count) {
    TTYInfo* tty = link.Record();
    if (tty == nullptr || tty->transfer.receiveActive == 0) {
        return;
    }
    if (receive.Feed(bytes, count, receiveDialog)) {
        tty->transfer.receiveActive = 0;
    }
}

// A batch names its file before the data arrive; data that did not arrive whole never replace
// it (an earlier good read-back of that name stays), they are kept beside it under a name that
// says so.
void FileReceiver::SaveReceived(const UploadProgress& progress, bool earlyEndTold) {
    savedPath.clear();
    const bool partial = presetReceive != 0 && !presetReceivePath.empty() &&
                         (progress.EndedEarly() || receive.Cut());
    const std::string presetPath = partial ? PartialName(presetReceivePath) : presetReceivePath;
    if (partial) {
        RemoveLink(presetPath); // a link left there must not lead the data onto another file
    }
    attemptedPath = presetReceive != 0 ? presetPath : std::string();
    if (receive.Cut()) {
        ReportCut(partial ? presetPath : std::string());
    }
    if (progress.EndedEarly() && (!earlyEndTold || partial)) {
        // where a batch's data went is news even after the hang-up's own line
        ReportEarlyEnd(progress, partial ? presetPath : std::string(), earlyEndTold);
    }
    bool failed = false;
    while (true) {
        fields.transferPath = presetReceive != 0 && !failed ? presetPath : ChooseTarget();
        if (fields.transferPath.empty()) {
            return; // the data stay until the next receive is armed
        }
        lastUploadDir = DirectoryOf(fields.transferPath);
        if (WriteTarget()) {
            break;
        }
        failed = true; // the operator may choose another name; the data are kept meanwhile
    }
    savedPath = fields.transferPath;
    savedPartial = partial && !failed;
    presetReceive = 0;
    if (examineAfterReceive != 0) {
        roles.window.OpenExamine(fields.transferPath, false);
    }
    examineAfterReceive = 1;
}

void FileReceiver::RemoveLink(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        ::unlink(path.c_str());
    }
}

std::string PartialName(const std::string& path) {
    return path + FileReceiver::kPartialSuffix;
}

std::string FileReceiver::ChooseTarget() {
    fields.fileFilter = std::string(kDataFileFilter);
    if (lastUploadDir.empty()) {
        lastUploadDir = dirs.uploadDirectory;
    }
    const auto chosen = roles.files.ChooseSaveFile(InitialName(lastUploadDir, dirs.uploadFilter),
                                                   fields.fileFilter);
    if (!chosen || chosen->empty()) {
        lastUploadDir.clear();
        return {};
    }
    return *chosen;
}

bool FileReceiver::WriteTarget() {
    const SaveResult saved = SaveFile(fields.transferPath, receive.Data());
    saveError = saved.reason;
    if (saved.saved) {
        if (!saved.message.empty()) {
            roles.messages.ShowMessage(saved.message, "", MessageIcon::Information);
        }
        return true;
    }
    roles.messages.ShowMessage(saved.message +
                                   "\n\nThe received data are kept: choose another name, or "
                                   "cancel to discard them.",
                               "", MessageIcon::Exclamation);
    return false;
}

void FileReceiver::ReportCut(const std::string& partialPath) {
    roles.messages.ShowMessage(
        "The receive was cut at " + std::to_string(ReceiveStream::kMaxBytes >> 20) +
            " MiB: the data beyond it were not stored.\n" +
            (partialPath.empty() ? std::string("The file") : partialPath) + " holds the first " +
            std::to_string(receive.ReceivedCount()) + " bytes.",
        "", MessageIcon::Exclamation);
}

void FileReceiver::ReportEarlyEnd(const UploadProgress& progress, const std::string& partialPath,
                                  bool endTold) {
    const char* what = endTold ? ""
                       : progress.Result() == UploadProgress::kLineLost
                           ? "The connection to the T8 was lost before the end of the data.\n"
                       : progress.Result() == UploadProgress::kStopped
                           ? "The receive was stopped before the end of the data.\n"
                           : "The device stopped sending before the end of the data.\n";
    const std::string count = std::to_string(receive.ReceivedCount());
    roles.messages.ShowMessage(
        what + (partialPath.empty()
                    ? "The " + count +
                          " bytes received are kept: the file they are saved to "
                          "will be incomplete."
                    : "The " + count + " bytes received are kept in " + partialPath + "; " +
                          presetReceivePath + " is left as it was."),
        "", MessageIcon::Exclamation);
}

void FileReceiver::Close(bool quiet) {
    link.flags.displayHeld = 0;
    receiveDialog = nullptr;
    link.HoldFlowControl(false);
    if (TTYInfo* tty = link.Record()) {
        tty->transfer.receiveActive = 0;
        tty->line.echoActive = tty->com.comLocalEcho;
    }
    if (quiet) {
        return;
    }
    roles.timer.Wait(kCloseWaitMs);
    constexpr std::uint8_t kCarriageReturn = 0x0D;
    link.SendBytes(&kCarriageReturn, 1);
    roles.timer.Wait(kCloseWaitMs);
}

} // namespace t8
