#pragma once

#include <cstdint>

namespace t8 {

class SerialLink;

// What Enter and Esc do while an address prompt waits for the operator.
class PromptKeys {
public:
    PromptKeys() = default;
    PromptKeys(const PromptKeys&) = delete;
    PromptKeys& operator=(const PromptKeys&) = delete;
    virtual ~PromptKeys() = default;

    virtual void StartSend() = 0;
    virtual void FinishReceive() = 0;
    virtual void CancelPrompt() = 0;
};

// The terminal as the T8's keypad: every typed character goes to the device at once, is echoed
// when local echo is in force, and confirms or cancels an address prompt.
class KeyTyper {
public:
    static constexpr std::uint8_t kEnter = 0x0D;
    static constexpr std::uint8_t kEscape = 0x1B;

    KeyTyper(SerialLink& link, PromptKeys& prompt);

    // 0 when the key was ignored (no record, port closed: the status bar says why), 1 otherwise.
    int TypeKey(std::uint8_t character);

private:
    SerialLink& link;
    PromptKeys& prompt;
};

} // namespace t8
