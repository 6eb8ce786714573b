#pragma once

#include "sim/device/Dialogue.h"

#include <string>

namespace t8::sim {

// Byte editor: asks a start address, then shows one address and its byte per line. Two hex
// digits replace the byte; blank, Y or ENTER go on, X or backspace go back, ESC leaves.
class EditDialogue : public Dialogue {
public:
    EditDialogue(DialogueContext& context_, Memory& memory_, std::string title_)
        : Dialogue(context_), memory(memory_), title(std::move(title_)) {}

    void Begin() override;
    void Key(std::uint8_t key) override;

private:
    void AddressKey(std::uint8_t key);
    void ByteKey(std::uint8_t key);
    void ShowLine() const;
    void Move(long step);

    Memory& memory;
    std::string title;
    std::string typed;
    bool editing = false;
    std::uint32_t address = 0;
};

} // namespace t8::sim
