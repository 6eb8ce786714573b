#pragma once

#include "transfer/FileChooser.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferProgress.h"
#include "transfer/WindowHandOffs.h"

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace t8 {

class PromptPane;
class SerialLink;

// The windows the transfers open over the view: file dialogs, message boxes, the two progress
// dialogs, the examine and batch dialogs; and the status bar's prompt pane they write to. The
// view owns it; the view's timer and its pause are ViewTimer's.
class ViewDialogs : public FileChooser,
                    public TransferMessages,
                    public TransferProgress,
                    public WindowHandOffs {
public:
    // `view`: the dialogs' parent; `link`: the record whose fill options the examine dialog
    // may take.
    ViewDialogs(QWidget& view, PromptPane& prompt, const SerialLink& link);

    // FileChooser
    std::optional<std::string> ChooseOpenFile(const std::string& initialName,
                                              const std::string& filter) override;
    [[nodiscard]] std::uint32_t LastDialogError() const override { return lastDialogError; }
    std::optional<std::string> ChooseSaveFile(const std::string& initialName,
                                              const std::string& filter) override;
    // TransferMessages
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    bool AskOkCancel(const std::string& text, const std::string& caption) override;
    // TransferProgress
    int RunDownloadDialog(DownloadStream& stream) override;
    int RunUploadDialog(UploadProgress& progress) override;
    // WindowHandOffs
    void SetPromptText(const std::string& text) override;
    void OpenExamine(const std::string& path, bool withRecord) override;
    void RunBatch(const std::string& path, BatchTerminal& terminal) override;

    // How often a batch waiting for other windows to close looks again.
    static constexpr int kModalRecheckMs = 100;

private:
    void RunBatchWhenFree(const std::string& path, BatchTerminal& terminal);

    QWidget& view;
    PromptPane& prompt;
    const SerialLink& link;
    std::uint32_t lastDialogError = 0;
};

} // namespace t8
