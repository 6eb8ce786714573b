#pragma once

#include "link/LinkUi.h"

#include <cstdint>
#include <optional>
#include <string>

namespace t8 {

class DownloadStream;
class UploadProgress;

// Everything the transfers need from windows, so their logic runs without widgets.
// All calls come on the user-interface thread.
class TransferUi {
public:
    // What the two progress dialogs return, as their modal loops end.
    static constexpr int kDialogOk = 1;
    static constexpr int kDialogCancelled = 2;
    // The port went away under the transfer (the link's LineWatch told its logic).
    static constexpr int kDialogLineLost = 3;
    // The host stopped the transfer (t8batch's verdict): it ends with what it has, and nothing
    // more is sent to the device.
    static constexpr int kDialogStopped = 4;

    TransferUi() = default;
    TransferUi(const TransferUi&) = delete;
    TransferUi& operator=(const TransferUi&) = delete;
    virtual ~TransferUi() = default;

    // `initialName` is a folder, a folder and a pattern ("/data/*.hex") or empty; `filter` is
    // "Name|patterns|Name|patterns||". Nothing when the operator cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& initialName,
                                                      const std::string& filter) = 0;
    // Why the last ChooseOpenFile gave nothing although the operator chose: a file dialog
    // error code (FileDialogError.h), or 0 when the operator cancelled.
    [[nodiscard]] virtual std::uint32_t LastDialogError() const { return 0; }
    // Asks before replacing an existing file.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& initialName,
                                                      const std::string& filter) = 0;
    // The status bar's prompt pane.
    virtual void SetPromptText(const std::string& text) = 0;
    // An empty caption means the application's title.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool AskOkCancel(const std::string& text, const std::string& caption) = 0;

    // Modal "Download progress....." over `stream`: Tick() every 50 ms until Result() is
    // non-zero; Cancel calls stream.Cancel(). Returns Result(): kDialogOk, kDialogCancelled or
    // kDialogLineLost.
    virtual int RunDownloadDialog(DownloadStream& stream) = 0;
    // Modal "Upload progress....." over `progress`: Tick() every 250 ms until Result() is
    // non-zero; Cancel calls progress.Cancel(). Received blocks keep being dispatched meanwhile
    // (and with them a hang-up). Returns Result(), as above.
    virtual int RunUploadDialog(UploadProgress& progress) = 0;

    // The examine dialog on a file; `withRecord` hands it the connection's fill options.
    virtual void OpenExamine(const std::string& path, bool withRecord) = 0;
    virtual void RunBatch(const std::string& path) = 0;

    // The view's 250 ms transfer timer.
    virtual void StartViewTimer() = 0;
    virtual void StopViewTimer() = 0;
    // Lets `ms` pass while events are processed but user input is held back.
    virtual void Wait(int ms) = 0;
};

} // namespace t8
