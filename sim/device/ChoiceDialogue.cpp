#include "sim/device/ChoiceDialogue.h"

#include <algorithm>

namespace t8::sim {

ChoiceDialogue::ChoiceDialogue(DialogueContext& context_, ChoiceMenu menu_)
    : Dialogue(context_), menu(std::move(menu_)),
      current(menu.initial < menu.options.size() ? menu.initial : 0) {
    for (const std::string& option : menu.options) {
        width = std::max(width, option.size());
    }
}

void ChoiceDialogue::Begin() {
    Say("\r\n");
    Show();
}

void ChoiceDialogue::Show() const {
    // the line is redrawn in place; blanks wipe what a longer option left
    const std::string& option = menu.options[current];
    Say("\r" + menu.title + " " + option + std::string(width - option.size(), ' '));
}

void ChoiceDialogue::Key(std::uint8_t key) {
    const std::size_t count = menu.options.size();
    if (key == kKeyRight || key == kKeyDown) {
        current = (current + 1) % count;
        Show();
    } else if (IsBackKey(key) || key == kKeyUp) {
        current = (current + count - 1) % count;
        Show();
    } else if (key == kKeyEnter || (key == kKeyEsc && menu.escConfirms)) {
        CloseWith(menu.confirm(current));
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
