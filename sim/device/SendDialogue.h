#pragma once

#include "sim/device/Dialogue.h"

#include <string>

namespace t8::sim {

// SE and SX: names the format, takes "SSSSS,EEEEE" (or ':'), ENTER, then sends the range.
// Nothing it shows before the data holds ',', ':' or '>', which the host reads as separator
// and prompt.
class SendDialogue : public Dialogue {
public:
    SendDialogue(DialogueContext& context_, const Memory& memory_, std::string what_)
        : Dialogue(context_), memory(memory_), what(std::move(what_)) {}

    void Begin() override;
    void Key(std::uint8_t key) override;

private:
    void Type(char c);
    void Erase();
    void Send(std::uint32_t first, std::uint32_t last);
    [[nodiscard]] std::string Validate(std::uint32_t first, std::uint32_t last) const;

    const Memory& memory;
    std::string what;
    std::string start;
    std::string end;
    char separator = 0;
};

} // namespace t8::sim
