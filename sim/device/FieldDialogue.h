#pragma once

#include "sim/device/Dialogue.h"

#include <functional>
#include <string>
#include <vector>

namespace t8::sim {

struct FieldStep {
    std::string prompt;
    std::size_t maxLength; // typed characters beyond it are ignored
};

// Asks for one or more typed fields (hex digits, ',' and ':'), echoing them; after the last
// ENTER the action gets the texts and returns the lines to show.
class FieldDialogue : public Dialogue {
public:
    using Action = std::function<std::string(const std::vector<std::string>&)>;

    FieldDialogue(DialogueContext& context_, std::vector<FieldStep> steps_, Action action_);

    void Begin() override;
    void Key(std::uint8_t key) override;

private:
    std::vector<FieldStep> steps;
    Action action;
    std::vector<std::string> typed;
};

} // namespace t8::sim
