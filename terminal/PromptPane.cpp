#include "terminal/PromptPane.h"

#include "app/CMainFrame.h"
#include "link/TTYInfo.h"
#include "transfer/TransferFields.h"

namespace t8 {

PromptPane::PromptPane(CMainFrame& frame_) : frame(frame_) {}

void PromptPane::ShowLinkStatus(const std::string& text) {
    if (!silent) {
        frame.SetPromptText(text.empty() ? QString(CMainFrame::kReady)
                                         : QString::fromStdString(text));
    }
}

void PromptPane::SetText(const std::string& text) {
    frame.SetPromptText(QString::fromStdString(text));
}

void PromptPane::ClearStaleAddressPrompt(const TTYInfo* tty) {
    if (tty && !silent && !tty->addressPromptActive && !tty->receiveActive &&
        frame.PromptText() == QString::fromUtf8(kAddressPromptText)) {
        frame.SetPromptText(CMainFrame::kReady);
    }
}

} // namespace t8
