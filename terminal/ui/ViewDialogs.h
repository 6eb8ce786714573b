#pragma once

#include "transfer/TransferUi.h"

#include <cstdint>
#include <optional>
#include <string>

namespace t8 {

class CProgTermView;

// The windows the transfers open over the view: file dialogs, message boxes, the two progress
// dialogs and the batch dialog, and the wait that holds the operator's input back. The view owns
// it; the view's timer, the status bar and the examine dialog stay the view's.
class ViewDialogs : public TransferUi {
public:
    explicit ViewDialogs(CProgTermView& view);

    std::optional<std::string> ChooseOpenFile(const std::string& initialName,
                                              const std::string& filter) override;
    [[nodiscard]] std::uint32_t LastDialogError() const override { return lastDialogError; }
    std::optional<std::string> ChooseSaveFile(const std::string& initialName,
                                              const std::string& filter) override;
    void SetPromptText(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    bool AskOkCancel(const std::string& text, const std::string& caption) override;
    int RunDownloadDialog(DownloadStream& stream) override;
    int RunUploadDialog(UploadProgress& progress) override;
    void OpenExamine(const std::string& path, bool withRecord) override;
    void RunBatch(const std::string& path) override;
    void StartViewTimer() override;
    void StopViewTimer() override;
    void Wait(int ms) override;

private:
    CProgTermView& view;
    std::uint32_t lastDialogError = 0;
};

} // namespace t8
