#include "sim/device/EditDialogue.h"

#include "sim/device/RangeText.h"
#include "sim/records/HexDigits.h"

#include <cctype>

namespace t8::sim {
namespace {} // namespace

void EditDialogue::Begin() {
    Say("\r\n" + title_ + " address ");
}

void EditDialogue::Key(std::uint8_t key) {
    if (key == kKeyEsc) {
        Close();
    } else if (editing_) {
        ByteKey(key);
    } else {
        AddressKey(key);
    }
}

void EditDialogue::AddressKey(std::uint8_t key) {
    if (key == kKeyEnter) {
        const auto address = ParseValueText(typed_, memory_.Size());
        if (!address) {
            CloseWith("Bad address");
            return;
        }
        address_ = *address;
        editing_ = true;
        typed_.clear();
        ShowLine();
    } else {
        TypeAddressKey(typed_, key);
    }
}

void EditDialogue::ByteKey(std::uint8_t key) {
    const char c = static_cast<char>(std::toupper(key));
    if (IsHex(c)) {
        typed_.push_back(c);
        Say(std::string(1, c));
        if (typed_.size() == 2) {
            memory_.Set(address_, static_cast<std::uint8_t>(HexValue(typed_)));
            Move(1);
        }
    } else if (key == kKeyRight || key == kKeyDown || key == kKeyEnter) {
        Move(1);
    } else if (IsBackKey(key) || key == kKeyUp) {
        Move(-1);
    }
}

void EditDialogue::Move(long step) {
    const long size = static_cast<long>(memory_.Size());
    address_ = static_cast<std::uint32_t>((static_cast<long>(address_) + step + size) % size);
    typed_.clear();
    ShowLine();
}

void EditDialogue::ShowLine() const {
    Say("\r\n" + HexText(address_, 5) + " " + HexText(memory_.At(address_), 2) + " ");
}

} // namespace t8::sim
