#include "terminal/KeyTyper.h"

#include "link/SerialLink.h"

namespace t8 {

KeyTyper::KeyTyper(SerialLink& link_, PromptKeys& prompt_) : link(link_), prompt(prompt_) {}

int KeyTyper::TypeKey(std::uint8_t character) {
    TTYInfo* tty = link.Record();
    if (tty == nullptr) {
        return 0;
    }
    if (tty->line.connected == 0) {
        link.RefuseInput(); // said, not kept: a key sent later could reach another device
        return 0;
    }
    link.SendBytes(&character, 1);
    if (tty->line.echoActive) {
        link.ShowReceived(&character, 1);
    }
    if (tty->transfer.addressPromptActive != 1) {
        return 1;
    }
    if (character == kEnter) {
        tty->transfer.sendPending != 0 ? prompt.StartSend() : prompt.FinishReceive();
    } else if (character == kEscape) {
        prompt.CancelPrompt();
    }
    return 1;
}

} // namespace t8
