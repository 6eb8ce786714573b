#include "terminal/ui/PromptPane.h"

#include "link/TTYInfo.h"
#include "terminal/ui/StatusPanes.h"
#include "transfer/TransferFields.h"

namespace t8 {

PromptPane::PromptPane(StatusPanes& panes_) : panes(panes_) {}

void PromptPane::ShowLinkStatus(const std::string& text) {
    if (!silent) {
        panes.SetPromptText(text.empty() ? panes.ReadyText() : QString::fromStdString(text));
    }
}

void PromptPane::SetText(const std::string& text) {
    panes.SetPromptText(QString::fromStdString(text));
}

void PromptPane::ClearStaleAddressPrompt(const TTYInfo* tty) {
    if (tty && !silent && !tty->transfer.addressPromptActive && !tty->transfer.receiveActive &&
        panes.PromptText() == QString::fromUtf8(kAddressPromptText)) {
        panes.SetPromptText(panes.ReadyText());
    }
}

} // namespace t8
