#include "tools/t8batch/EchoMatch.h"

namespace t8 {

void EchoMatch::Typed(std::uint8_t key) {
    if (keys.size() >= kMaxKeys) {
        overflow = true;
        return;
    }
    keys.push_back(static_cast<char>(key));
    lastIsFinalKey = false; // the new key's echo is still to come
}

void EchoMatch::Shown(const std::uint8_t* bytes, std::size_t count) {
    if (keys.empty() || count == 0) {
        return; // text from before the first key is no echo
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (matched < keys.size() && static_cast<char>(bytes[i]) == keys[matched]) {
            ++matched;
        }
    }
    lastIsFinalKey = matched == keys.size() && static_cast<char>(bytes[count - 1]) == keys.back();
}

void EchoMatch::Reset() {
    keys.clear();
    matched = 0;
    overflow = false;
    lastIsFinalKey = false;
}

bool EchoMatch::EchoIn() const {
    return !overflow && !keys.empty() && lastIsFinalKey;
}

} // namespace t8
