#include "sim/device/EditDialogue.h"

#include "sim/device/RangeText.h"
#include "sim/records/HexDigits.h"

#include <cctype>

namespace t8::sim {
namespace {} // namespace

void EditDialogue::Begin() {
    Say("\r\n" + title + " address ");
}

void EditDialogue::Key(std::uint8_t key) {
    if (key == kKeyEsc) {
        Close();
    } else if (editing) {
        ByteKey(key);
    } else {
        AddressKey(key);
    }
}

void EditDialogue::AddressKey(std::uint8_t key) {
    if (key == kKeyEnter) {
        const auto parsed = ParseValueText(typed, memory.Size());
        if (!parsed) {
            CloseWith("Bad address");
            return;
        }
        address = *parsed;
        editing = true;
        typed.clear();
        ShowLine();
    } else {
        TypeAddressKey(typed, key);
    }
}

void EditDialogue::ByteKey(std::uint8_t key) {
    const char c = static_cast<char>(std::toupper(key));
    if (IsHex(c)) {
        typed.push_back(c);
        Say(std::string(1, c));
        if (typed.size() == 2) {
            memory.Set(address, static_cast<std::uint8_t>(HexValue(typed)));
            Move(1);
        }
    } else if (key == kKeyRight || key == kKeyDown || key == kKeyEnter) {
        Move(1);
    } else if (IsBackKey(key) || key == kKeyUp) {
        Move(-1);
    }
}

void EditDialogue::Move(long step) {
    const long size = static_cast<long>(memory.Size());
    address = static_cast<std::uint32_t>((static_cast<long>(address) + step + size) % size);
    typed.clear();
    ShowLine();
}

void EditDialogue::ShowLine() const {
    Say("\r\n" + HexText(address, 5) + " " + HexText(memory.At(address), 2) + " ");
}

} // namespace t8::sim
