#pragma once

#include <string>

namespace t8 {

class StatusPanes;
struct TTYInfo;

// The status bar's first pane as the view fills it: the state of the line, a transfer's prompt,
// and the ready text again once nothing waits for an address.
class PromptPane {
public:
    explicit PromptPane(StatusPanes& panes);

    // Empty gives the pane back to its ready text.
    void ShowLinkStatus(const std::string& text);
    void SetText(const std::string& text);
    // The address prompt, once nothing waits for an address any more.
    void ClearStaleAddressPrompt(const TTYInfo* tty);
    // The window is going: the frame's panes may be gone already.
    void Silence() { silent = true; }

private:
    StatusPanes& panes;
    bool silent = false;
};

} // namespace t8
