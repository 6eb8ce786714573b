#include "sim/device/FieldDialogue.h"

#include "sim/records/HexDigits.h"

#include <cctype>

namespace t8::sim {

FieldDialogue::FieldDialogue(DialogueContext& context_, std::vector<FieldStep> steps_,
                             Action action_)
    : Dialogue(context_), steps(std::move(steps_)), action(std::move(action_)) {}

void FieldDialogue::Begin() {
    typed.assign(1, std::string());
    Say("\r\n" + steps.front().prompt);
}

void FieldDialogue::Key(std::uint8_t key) {
    std::string& field = typed.back();
    const char c = static_cast<char>(std::toupper(key));
    if (key == kKeyEsc) {
        Close();
    } else if (key == kKeyEnter && typed.size() < steps.size()) {
        typed.emplace_back();
        Say("\r\n" + steps[typed.size() - 1].prompt);
    } else if (key == kKeyEnter) {
        CloseWith(action(typed));
    } else if (IsBackKey(key) && !field.empty()) {
        field.pop_back();
        Say("\b \b");
    } else if ((IsHex(c) || c == ',' || c == ':') &&
               field.size() < steps[typed.size() - 1].maxLength) {
        field.push_back(c);
        Say(std::string(1, c));
    }
}

} // namespace t8::sim
