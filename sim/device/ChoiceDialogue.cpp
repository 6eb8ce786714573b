#include "sim/device/ChoiceDialogue.h"

#include <algorithm>

namespace t8::sim {

ChoiceDialogue::ChoiceDialogue(DialogueContext& context, ChoiceMenu menu)
    : Dialogue(context), menu_(std::move(menu)),
      current_(menu_.initial < menu_.options.size() ? menu_.initial : 0) {
    for (const std::string& option : menu_.options) {
        width_ = std::max(width_, option.size());
    }
}

void ChoiceDialogue::Begin() {
    Say("\r\n");
    Show();
}

void ChoiceDialogue::Show() const {
    // the line is redrawn in place; blanks wipe what a longer option left
    const std::string& option = menu_.options[current_];
    Say("\r" + menu_.title + " " + option + std::string(width_ - option.size(), ' '));
}

void ChoiceDialogue::Key(std::uint8_t key) {
    const std::size_t count = menu_.options.size();
    if (key == kKeyRight || key == kKeyDown) {
        current_ = (current_ + 1) % count;
        Show();
    } else if (IsBackKey(key) || key == kKeyUp) {
        current_ = (current_ + count - 1) % count;
        Show();
    } else if (key == kKeyEnter || (key == kKeyEsc && menu_.escConfirms)) {
        CloseWith(menu_.confirm(current_));
    } else if (key == kKeyEsc) {
        Close();
    }
}

std::unique_ptr<Dialogue> ChooseSetting(DialogueContext& context, std::string title,
                                        std::vector<std::string> options, std::size_t& setting) {
    ChoiceMenu menu{title, options, setting, false, {}};
    menu.confirm = [&setting, title, options](std::size_t index) {
        setting = index;
        return title + " set to " + options[index];
    };
    return std::make_unique<ChoiceDialogue>(context, std::move(menu));
}

} // namespace t8::sim
