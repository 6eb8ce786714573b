#include "tools/t8batch/EchoMatch.h"

namespace t8 {

void EchoMatch::Typed(std::uint8_t key) {
    if (keys.size() >= kMaxKeys) {
        overflow = true;
        return;
    }
    keys.push_back(static_cast<char>(key));
    textAfterEcho = false; // what came after the echo so far answered the keys before this one
}

void EchoMatch::Shown(const std::uint8_t* bytes, std::size_t count) {
    if (keys.empty()) {
        return; // text from before the first key is no echo
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (matched == keys.size()) {
            // Text after what looked like the whole echo: the device says more after it, or
            // its answer held the keys' characters and the real echo is still coming.
            textAfterEcho = true;
        } else if (static_cast<char>(bytes[i]) == keys[matched]) {
            ++matched;
        }
    }
}

void EchoMatch::Reset() {
    keys.clear();
    matched = 0;
    overflow = false;
    textAfterEcho = false;
}

bool EchoMatch::EchoIn() const {
    return !overflow && !textAfterEcho && !keys.empty() && matched == keys.size();
}

} // namespace t8
