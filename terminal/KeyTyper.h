#pragma once

#include "transfer/PromptKeys.h"

#include <cstdint>

namespace t8 {

class SerialLink;

// The terminal as the T8's keypad: every typed character goes to the device at once, is echoed
// when local echo is in force, and confirms or cancels an address prompt.
class KeyTyper {
public:
    static constexpr std::uint8_t kEnter = PromptKeys::kEnter;
    static constexpr std::uint8_t kEscape = PromptKeys::kEscape;

    KeyTyper(SerialLink& link, PromptKeys& prompt);

    // 0 when the key was ignored (no record, port closed: the status bar says why), 1 otherwise.
    int TypeKey(std::uint8_t character);

private:
    SerialLink& link;
    PromptKeys& prompt;
};

} // namespace t8
