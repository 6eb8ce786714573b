#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace t8 {

// The text the terminal showed while an address prompt is armed: the device's answer and the
// echo of what the operator typed, with the edit position that received backspaces move.
class AddressPrompt {
public:
    // Far more than any answer and typed range; a chatty device cannot grow it without end.
    static constexpr std::size_t kMaxText = 4096;

    // Starts collecting anew over `initial` (empty for a command, blanks for a batch receive).
    void Arm(std::string initial = {});
    // One shown character: replaces the one at the edit position or is appended there.
    void Character(std::uint8_t byte);
    // Moves the edit position back one; what follows it stays until overwritten.
    void Backspace();
    // The screen was cleared: the next character goes to the start again.
    void ResetEditPos() { editPos = 0; }

    [[nodiscard]] const std::string& Text() const { return text; }
    [[nodiscard]] std::size_t EditPos() const { return editPos; }

private:
    std::string text;
    std::size_t editPos = 0;
};

} // namespace t8
