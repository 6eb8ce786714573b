#pragma once

namespace t8 {

class DownloadStream;
class UploadProgress;

// The two progress dialogs as modal loops over the transfers' logic: the window's dialogs, or
// t8batch's loops of their ticks. Calls come on the user-interface thread.
class TransferProgress {
public:
    // What the two progress dialogs return, as their modal loops end.
    static constexpr int kDialogOk = 1;
    static constexpr int kDialogCancelled = 2;
    // The port went away under the transfer (the link's LineWatch told its logic).
    static constexpr int kDialogLineLost = 3;
    // The host stopped the transfer (t8batch's verdict): it ends with what it has, and nothing
    // more is sent to the device.
    static constexpr int kDialogStopped = 4;

    TransferProgress() = default;
    TransferProgress(const TransferProgress&) = delete;
    TransferProgress& operator=(const TransferProgress&) = delete;
    virtual ~TransferProgress() = default;

    // Modal "Download progress....." over `stream`: Tick() every 50 ms until Result() is
    // non-zero; Cancel calls stream.Cancel(). Returns Result(): kDialogOk, kDialogCancelled or
    // kDialogLineLost.
    virtual int RunDownloadDialog(DownloadStream& stream) = 0;
    // Modal "Upload progress....." over `progress`: Tick() every 250 ms until Result() is
    // non-zero; Cancel calls progress.Cancel(). Received blocks keep being dispatched meanwhile
    // (and with them a hang-up). Returns Result(), as above.
    virtual int RunUploadDialog(UploadProgress& progress) = 0;
};

} // namespace t8
