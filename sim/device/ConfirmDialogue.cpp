#include "sim/device/ConfirmDialogue.h"

namespace t8::sim {

void ConfirmDialogue::Begin() {
    if (question_.empty()) {
        CloseWith(action_());
        return;
    }
    Say("\r\n" + question_ + " - ENTER starts ESC cancels");
}

void ConfirmDialogue::Key(std::uint8_t key) {
    if (key == kKeyEnter) {
        CloseWith(action_());
    } else if (key == kKeyEsc) {
        CloseWith("Cancelled");
    }
}

} // namespace t8::sim
