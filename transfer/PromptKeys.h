#pragma once

namespace t8 {

// What Enter and Esc do while an address prompt waits for the operator: the transfers' side of
// the keyboard, which the terminal's key typer calls.
class PromptKeys {
public:
    // The keys a prompt answers to, as the device receives them.
    static constexpr unsigned char kEnter = 0x0D;
    static constexpr unsigned char kEscape = 0x1B;

    PromptKeys() = default;
    PromptKeys(const PromptKeys&) = delete;
    PromptKeys& operator=(const PromptKeys&) = delete;
    virtual ~PromptKeys() = default;

    virtual void StartSend() = 0;
    virtual void FinishReceive() = 0;
    virtual void CancelPrompt() = 0;
};

} // namespace t8
