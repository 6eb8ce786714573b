#pragma once

#include "sim/device/Dialogue.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace t8::sim {

struct ChoiceMenu {
    std::string title;
    std::vector<std::string> options;
    std::size_t initial = 0;
    bool escConfirms = false; // the baud menu takes ESC as its confirmation
    // Applies the chosen option and returns the dialogue's last line.
    std::function<std::string(std::size_t)> confirm;
};

// A menu of options on one line: blank or Y steps forward, backspace or X back, ENTER confirms.
class ChoiceDialogue : public Dialogue {
public:
    ChoiceDialogue(DialogueContext& context_, ChoiceMenu menu_);

    void Begin() override;
    void Key(std::uint8_t key) override;

private:
    void Show() const;

    ChoiceMenu menu;
    std::size_t current;
    std::size_t width = 0;
};

// A menu that sets `setting` to the chosen index and says "<title> set to <option>".
[[nodiscard]] std::unique_ptr<Dialogue> ChooseSetting(DialogueContext& context, std::string title,
                                                      std::vector<std::string> options,
                                                      std::size_t& setting);

} // namespace t8::sim
