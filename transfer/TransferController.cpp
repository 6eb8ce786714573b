#include "transfer/TransferController.h"

#include "formats/FormatInfo.h"
#include "link/AppName.h"
#include "link/SerialLink.h"
#include "settings/DirectorySettings.h"
#include "transfer/DownloadStream.h"
#include "transfer/FileFilters.h"
#include "transfer/RequestDesk.h"
#include "transfer/TransferFiles.h"

#include <filesystem>

namespace t8 {

namespace {

constexpr char kBatchPattern[] = "*.t8b";

bool IsEmptyFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::file_size(path, error) == 0 && !error;
}

// The message of a TX file that cannot be sent, with the file and the folder it was looked for
// in: a batch names its files relative to itself, which the operator may not have in mind.
std::string TxOpenFileError(const std::string& path) {
    std::string folder = DirectoryOf(path);
    if (folder.empty()) {
        std::error_code error;
        folder = path.starts_with('/') ? "/" : std::filesystem::current_path(error).string();
    }
    return std::string(kOpenFileError) + "\nFile: " + NameOf(path) + "\nFolder: " + folder;
}

} // namespace

TransferController::TransferController(SerialLink& link_, const TransferRoles& roles_,
                                       RequestDesk& doc_, const DirectorySettings& dirs_,
                                       TypeKeyFunction typeKey_)
    : link(link_), roles(roles_), doc(doc_), dirs(dirs_), typeKey(std::move(typeKey_)),
      receiver(link_, roles_, fields, dirs_),
      library(link_, roles_.files, roles_.messages, roles_.progress, roles_.timer, dirs_),
      lineWatch(link_, [this](LineLoss) {
          CancelPrompt();
          return std::string();
      }) {}

void TransferController::ForgetDialogLocations() {
    fields.lastDownloadDir.clear();
    fields.transferPath.clear();
    receiver.ForgetLastUploadDir();
    library.ForgetLastPath();
}

bool TransferController::SendCommand(const char* command) {
    return link.SendBytes(command) == 1;
}

void TransferController::ArmSend(const std::string& path) {
    fields.transferPath = path;
    fields.lastDownloadDir = DirectoryOf(path);
    fields.transferFormat = TransferFormat::FormatUndetermined;
    fields.prompt.Arm();
    if (TTYInfo* tty = link.Record()) {
        tty->transfer.addressPromptActive = 1;
        tty->transfer.sendPending = 1;
        tty->line.echoActive = 0; // typed keys are not echoed while the transfer runs
    }
    link.HoldFlowControl(false); // a receive armed before is no longer
}

void TransferController::SendFileCommand() {
    fields.fileFilter = std::string(kDataFileFilter);
    if (fields.lastDownloadDir.empty()) {
        fields.lastDownloadDir = dirs.downloadDirectory;
    }
    const auto chosen = roles.files.ChooseOpenFile(
        InitialName(fields.lastDownloadDir, dirs.downloadFilter), fields.fileFilter);
    if (!chosen || chosen->empty()) {
        CancelPrompt();
        fields.lastDownloadDir.clear();
        return;
    }
    if (!SendCommand("RE")) {
        fields.lastDownloadDir.clear();
        return;
    }
    ArmSend(*chosen);
}

void TransferController::SendNamedFile(const std::string& path) {
    if (SendCommand("RE")) {
        ArmSend(path);
    }
}

void TransferController::DownloadEepromCommand() {
    fields.fileFilter = std::string(kDataFileFilter);
    std::string initialName = fields.lastDownloadDir;
    if (initialName.empty()) {
        fields.lastDownloadDir = dirs.downloadDirectory;
        initialName = InitialName(fields.lastDownloadDir, dirs.downloadFilter);
    }
    const auto chosen = roles.files.ChooseOpenFile(initialName, fields.fileFilter);
    if (!chosen || chosen->empty()) {
        CancelPrompt();
        return;
    }
    ArmSend(*chosen);
    (void)SendCommand("RX"); // armed either way; Esc disarms a command that did not go out
}

void TransferController::OnTransferTimer() {
    if (library.Running()) {
        return; // its reopened port restarts the timer while the key sequence still runs
    }
    CarryOutRequest();
    ConfirmArmedSend();
    MarkPromptAtLineStart();
    CountDownStartupBatch();
}

void TransferController::CarryOutRequest() {
    std::string path;
    const std::uint32_t action = doc.TakePendingRequest(path);
    if (action == RequestDesk::kNone) {
        return;
    }
    if (action == RequestDesk::kBatch && !startupBatch.pending) {
        if (link.LineOpen()) {
            roles.window.RunBatch(path, *this);
        } else { // every key would be dropped and every wait last until OK
            roles.messages.ShowMessage("Cannot run " + path + kPortClosedForSend, kAppName,
                                       MessageIcon::Exclamation);
        }
    } else if (action == RequestDesk::kExamine) {
        roles.window.OpenExamine(path, true);
    } else if (action == RequestDesk::kDownload) {
        const TTYInfo* tty = link.Record();
        if (tty != nullptr && tty->line.connected != 0) {
            SendNamedFile(path);
        } else {
            roles.messages.ShowMessage("Cannot send " + path + kPortClosedForSend, kAppName,
                                       MessageIcon::Exclamation);
        }
    }
    doc.OnNewDocument();
}

void TransferController::ConfirmArmedSend() {
    const TTYInfo* tty = link.Record();
    if (tty == nullptr || tty->transfer.sendPending == 0) {
        return;
    }
    fields.ParsePromptText();
    const FormatInfo* format = FindFormat(fields.transferFormat);
    if (format == nullptr) {
        return; // no keyword yet: the next tick looks again
    }
    if (format->addressPrompt) {
        roles.window.SetPromptText(kAddressPromptText);
    } else {
        typeKey(PromptKeys::kEnter); // confirms the device's prompt and starts the send
    }
}

void TransferController::MarkPromptAtLineStart() {
    const TTYInfo* tty = link.Record();
    if (tty == nullptr) {
        return;
    }
    const ScreenState& screen = tty->screen;
    if (screen.row < 0 || screen.row >= screen.rows || screen.columns <= 0) {
        return;
    }
    const auto index =
        static_cast<std::size_t>(screen.row) * static_cast<std::size_t>(screen.columns);
    if (index < screen.cells.size() && screen.cells[index] == ReceiveStream::kPromptChar) {
        link.flags.promptSeen = 1; // the device's prompt at the start of a line
    }
}

void TransferController::CountDownStartupBatch() {
    if (timerTicks < kStartupBatchTick) {
        ++timerTicks;
    }
    if (startupBatch.pending && timerTicks >= kStartupBatchTick) {
        startupBatch.pending = false;
        roles.window.RunBatch(startupBatch.path, *this);
    }
}

void TransferController::StartSend() {
    roles.timer.StopViewTimer();
    TTYInfo* tty = link.Record();
    if (tty != nullptr) {
        tty->transfer.addressPromptActive = 0;
        tty->transfer.sendPending = 0;
        StreamFile();
    }
    if (link.LineOpen()) {
        roles.timer.StartViewTimer(); // after a hang-up it stays stopped, as after a close
    }
}

void TransferController::StreamFile() {
    TTYInfo& tty = *link.Record();
    DownloadStream stream;
    if (!CanOpenForReading(fields.transferPath)) {
        roles.messages.ShowMessage(kOpenFileError, "", MessageIcon::None);
    } else if (!stream.Setup(fields.transferPath, DownloadStream::kStageSend, link)) {
        roles.messages.ShowMessage(stream.Error(), "", MessageIcon::Exclamation);
    } else if (roles.progress.RunDownloadDialog(stream) == TransferProgress::kDialogCancelled) {
        SendAbortEscapes(link);
        return;
    }
    // At the end, or with the line gone (the link has told the operator): nothing to send.
    tty.line.echoActive = tty.com.comLocalEcho;
}

void TransferController::ExecuteBatchCommand() {
    if (!link.LineOpen()) { // every key would be dropped and every wait last until OK
        roles.messages.ShowMessage(kPortClosedForBatch, kAppName, MessageIcon::Exclamation);
        return;
    }
    const auto chosen = roles.files.ChooseOpenFile(InitialName(dirs.batchDirectory, kBatchPattern),
                                                   std::string(kBatchFileFilter));
    if (chosen && !chosen->empty()) {
        roles.window.RunBatch(*chosen, *this);
    }
}

bool TransferController::PromptSeen() const {
    return link.flags.promptSeen != 0;
}

void TransferController::ClearPromptSeen() {
    link.flags.promptSeen = 0;
}

RawSendResult TransferController::SendFileRaw(const std::string& path) {
    if (!CanOpenForReading(path) || IsEmptyFile(path)) {
        roles.messages.ShowMessage(TxOpenFileError(path), "", MessageIcon::None);
        return {RawSendOutcome::FileError, 0, false};
    }
    if (!link.LineOpen()) {
        roles.messages.ShowMessage(SerialLink::kNotConnected, "", MessageIcon::None);
        return {RawSendOutcome::PortError, 0, false};
    }
    DownloadStream stream;
    if (!stream.Setup(path, DownloadStream::kStageSend, link)) {
        roles.messages.ShowMessage(stream.Error(), "", MessageIcon::Exclamation);
        return {RawSendOutcome::FileError, 0, false};
    }
    switch (roles.progress.RunDownloadDialog(stream)) {
    case TransferProgress::kDialogOk:
        return {RawSendOutcome::Sent, stream.Sent(), true};
    case TransferProgress::kDialogLineLost: // the link has told the operator
        return {RawSendOutcome::PortError, stream.Sent(), false};
    default:
        return {RawSendOutcome::Cancelled, stream.Sent(), false};
    }
}

void TransferController::CancelPrompt() {
    if (TTYInfo* tty = link.Record()) {
        tty->transfer.addressPromptActive = 0;
        tty->transfer.receiveActive = 0;
        tty->transfer.sendPending = 0;
        tty->line.echoActive = tty->com.comLocalEcho;
    }
    link.HoldFlowControl(false);
}

} // namespace t8
