#include "transfer/FileReceiver.h"

#include "link/SerialLink.h"
#include "settings/DirectorySettings.h"
#include "transfer/FileFilters.h"
#include "transfer/TransferFiles.h"
#include "transfer/TransferUi.h"
#include "transfer/UploadProgress.h"
#include "transfer/save/SaveFile.h"

namespace t8 {

FileReceiver::FileReceiver(SerialLink& link_, TransferUi& ui_, TransferFields& fields_,
                           const DirectorySettings& dirs_)
    : link(link_), ui(ui_), fields(fields_), dirs(dirs_) {}

void FileReceiver::Arm(std::string promptText) {
    fields.transferFormat = TransferFormat::FormatBinary; // until a keyword says otherwise
    receive.Arm();
    if (TTYInfo* tty = link.Record()) {
        tty->addressPromptActive = 1;
        tty->sendPending = 0; // Enter now confirms this receive, not a send armed before it
        tty->echoActive = 0;  // the device echoes the typed range itself
    }
    link.HoldFlowControl(true);
    fields.prompt.Arm(std::move(promptText));
}

void FileReceiver::ReceiveCommand(std::string_view command) {
    Arm({});
    ui.SetPromptText(kAddressPromptText);
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
    tty->addressPromptActive = 0;
    tty->receiveActive = 1;
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
    const int outcome = ui.RunUploadDialog(progress);
    if (outcome == TransferUi::kDialogCancelled) {
        SendAbortEscapes(link);
    } else {
        link.flags.displayHeld = 0;
        // a hang-up's message has said what became of the data already
        SaveReceived(progress, watch.Loss() == LineLoss::HangUp);
    }
    Close(outcome == TransferUi::kDialogLineLost);
}

void FileReceiver::FeedReceive(const std::uint8_t* bytes, std::size_t count) {
    TTYInfo* tty = link.Record();
    if (tty == nullptr || tty->receiveActive == 0) {
        return;
    }
    if (receive.Feed(bytes, count, receiveDialog)) {
        tty->receiveActive = 0;
    }
}

void FileReceiver::SaveReceived(const UploadProgress& progress, bool earlyEndTold) {
    if (receive.Cut()) {
        ReportCut();
    }
    if (progress.EndedEarly() && !earlyEndTold) {
        ReportEarlyEnd(progress);
    }
    bool failed = false;
    while (true) {
        fields.transferPath = presetReceive != 0 && !failed ? presetReceivePath : ChooseTarget();
        if (fields.transferPath.empty()) {
            return; // the data stay until the next receive is armed
        }
        lastUploadDir = DirectoryOf(fields.transferPath);
        if (WriteTarget()) {
            break;
        }
        failed = true; // the operator may choose another name; the data are kept meanwhile
    }
    presetReceive = 0;
    if (examineAfterReceive != 0) {
        ui.OpenExamine(fields.transferPath, false);
    }
    examineAfterReceive = 1;
}

std::string FileReceiver::ChooseTarget() {
    fields.fileFilter = std::string(kDataFileFilter);
    if (lastUploadDir.empty()) {
        lastUploadDir = dirs.uploadDirectory;
    }
    const auto chosen =
        ui.ChooseSaveFile(InitialName(lastUploadDir, dirs.uploadFilter), fields.fileFilter);
    if (!chosen || chosen->empty()) {
        lastUploadDir.clear();
        return {};
    }
    return *chosen;
}

bool FileReceiver::WriteTarget() {
    const SaveResult saved = SaveFile(fields.transferPath, receive.Data());
    if (saved.saved) {
        if (!saved.message.empty()) {
            ui.ShowMessage(saved.message, "", MessageIcon::Information);
        }
        return true;
    }
    ui.ShowMessage(saved.message + "\n\nThe received data are kept: choose another name, or "
                                   "cancel to discard them.",
                   "", MessageIcon::Exclamation);
    return false;
}

void FileReceiver::ReportCut() {
    ui.ShowMessage("The receive was cut at " + std::to_string(ReceiveStream::kMaxBytes >> 20) +
                       " MiB: the data beyond it were not stored.\nThe file holds the first " +
                       std::to_string(receive.ReceivedCount()) + " bytes.",
                   "", MessageIcon::Exclamation);
}

void FileReceiver::ReportEarlyEnd(const UploadProgress& progress) {
    const char* what = progress.Result() == UploadProgress::kLineLost
                           ? "The connection to the T8 was lost before the end of the data.\n"
                           : "The device stopped sending before the end of the data.\n";
    ui.ShowMessage(what + ("The " + std::to_string(receive.ReceivedCount())) +
                       " bytes received are kept: the file they are saved to will be incomplete.",
                   "", MessageIcon::Exclamation);
}

void FileReceiver::Close(bool lineLost) {
    link.flags.displayHeld = 0;
    receiveDialog = nullptr;
    link.HoldFlowControl(false);
    if (TTYInfo* tty = link.Record()) {
        tty->receiveActive = 0;
        tty->echoActive = tty->comLocalEcho;
    }
    if (lineLost) {
        return;
    }
    ui.Wait(kCloseWaitMs);
    constexpr std::uint8_t kCarriageReturn = 0x0D;
    link.SendBytes(&kCarriageReturn, 1);
    ui.Wait(kCloseWaitMs);
}

} // namespace t8
