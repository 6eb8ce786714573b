#include "transfer/AddressPrompt.h"

#include <utility>

namespace t8 {

void AddressPrompt::Arm(std::string initial) {
    text = std::move(initial);
    if (text.size() > kMaxText) {
        text.resize(kMaxText);
    }
    editPos = 0;
}

void AddressPrompt::Character(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    if (editPos < text.size()) {
        text[editPos] = c;
    } else if (text.size() < kMaxText) {
        text.push_back(c);
    } else {
        return; // full: later characters are not kept, the position stays at the end
    }
    ++editPos;
}

void AddressPrompt::Backspace() {
    if (editPos > 0) {
        --editPos;
    }
}

} // namespace t8
