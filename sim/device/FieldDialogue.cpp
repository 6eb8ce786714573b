#include "sim/device/FieldDialogue.h"

#include "sim/records/HexDigits.h"

#include <cctype>

namespace t8::sim {

FieldDialogue::FieldDialogue(DialogueContext& context, std::vector<FieldStep> steps, Action action)
    : Dialogue(context), steps_(std::move(steps)), action_(std::move(action)) {}

void FieldDialogue::Begin() {
    typed_.assign(1, std::string());
    Say("\r\n" + steps_.front().prompt);
}

void FieldDialogue::Key(std::uint8_t key) {
    std::string& field = typed_.back();
    const char c = static_cast<char>(std::toupper(key));
    if (key == kKeyEsc) {
        Close();
    } else if (key == kKeyEnter && typed_.size() < steps_.size()) {
        typed_.emplace_back();
        Say("\r\n" + steps_[typed_.size() - 1].prompt);
    } else if (key == kKeyEnter) {
        CloseWith(action_(typed_));
    } else if (IsBackKey(key) && !field.empty()) {
        field.pop_back();
        Say("\b \b");
    } else if ((IsHex(c) || c == ',' || c == ':') &&
               field.size() < steps_[typed_.size() - 1].maxLength) {
        field.push_back(c);
        Say(std::string(1, c));
    }
}

} // namespace t8::sim
