#pragma once

#include "transfer/FileChooser.h"
#include "transfer/FileDialogError.h"
#include "transfer/WindowHandOffs.h"

namespace t8 {

// The roles nobody plays where no operator watches a window (t8batch). Every file choice is
// cancelled, as the operator's Cancel would be: a batch's receive whose named file cannot be
// written is not saved elsewhere, and its host reports the data lost. There is no prompt pane,
// examine dialog or batch dialog to hand anything to; the commands that would are the window's.
class Unattended final : public FileChooser, public WindowHandOffs {
public:
    Unattended() = default;

    // FileChooser
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    [[nodiscard]] std::uint32_t LastDialogError() const override { return kDialogErrorNone; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }

    // WindowHandOffs
    void SetPromptText(const std::string&) override {}
    void OpenExamine(const std::string&, bool) override {}
    void RunBatch(const std::string&, BatchTerminal&) override {}
};

} // namespace t8
