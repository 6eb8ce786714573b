#include "sim/device/ConfirmDialogue.h"

namespace t8::sim {

void ConfirmDialogue::Begin() {
    if (question.empty()) {
        CloseWith(action());
        return;
    }
    Say("\r\n" + question + " - ENTER starts ESC cancels");
}

void ConfirmDialogue::Key(std::uint8_t key) {
    if (key == kKeyEnter) {
        CloseWith(action());
    } else if (key == kKeyEsc) {
        CloseWith("Cancelled");
    }
}

} // namespace t8::sim
