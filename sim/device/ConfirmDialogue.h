#pragma once

#include "sim/device/Dialogue.h"

#include <functional>
#include <string>

namespace t8::sim {

// Shows what is about to happen and waits for ENTER (or ESC) before doing it; with an empty
// question it acts at once.
class ConfirmDialogue : public Dialogue {
public:
    using Action = std::function<std::string()>;

    ConfirmDialogue(DialogueContext& context_, std::string question_, Action action_)
        : Dialogue(context_), question(std::move(question_)), action(std::move(action_)) {}

    void Begin() override;
    void Key(std::uint8_t key) override;

private:
    std::string question;
    Action action;
};

} // namespace t8::sim
