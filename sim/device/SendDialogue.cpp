#include "sim/device/SendDialogue.h"

#include "sim/device/RangeText.h"
#include "sim/records/FormatCodec.h"
#include "sim/records/HexDigits.h"

#include <cctype>

namespace t8::sim {
namespace {

constexpr std::uint32_t kStandardTekLimit = 0xFFFF;

} // namespace

void SendDialogue::Begin() {
    Say("\r\nSend " + std::string(InfoOf(State().format).name) + " " + what + " range ");
}

void SendDialogue::Key(std::uint8_t key) {
    if (key == kKeyEsc) {
        Close();
    } else if (IsBackKey(key)) {
        Erase();
    } else if (key == kKeyEnter && separator != 0 && !end.empty()) {
        Send(HexValue(start), HexValue(end));
    } else if (key == kKeyEnter) {
        CloseWith("Incomplete range");
    } else {
        Type(static_cast<char>(std::toupper(key)));
    }
}

void SendDialogue::Type(char c) {
    // the host takes the five characters before the separator as the start address
    if (separator == 0 && IsHex(c) && start.size() < kAddressDigits) {
        start.push_back(c);
    } else if (separator == 0 && (c == ',' || c == ':') && start.size() == kAddressDigits) {
        separator = c;
    } else if (separator != 0 && IsHex(c) && end.size() < kAddressDigits) {
        end.push_back(c);
    } else {
        return;
    }
    Say(std::string(1, c));
}

void SendDialogue::Erase() {
    if (!end.empty()) {
        end.pop_back();
    } else if (separator != 0) {
        separator = 0;
    } else if (!start.empty()) {
        start.pop_back();
    } else {
        return;
    }
    Say("\b \b");
}

std::string SendDialogue::Validate(std::uint32_t first, std::uint32_t last) const {
    if (last < first) {
        return "End lies below start";
    }
    if (last >= memory.Size()) {
        return "Range ends beyond memory (" +
               HexText(static_cast<std::uint32_t>(memory.Size() - 1), 5) + ")";
    }
    if (State().format == Format::Tek && last > kStandardTekLimit) {
        return "TEK records end at FFFF - choose TEK EXTENDED";
    }
    return {};
}

void SendDialogue::Send(std::uint32_t first, std::uint32_t last) {
    if (const std::string error = Validate(first, last); !error.empty()) {
        CloseWith(error);
        return;
    }
    DeviceState& state = State();
    const auto codec = MakeCodec(state.format);
    const std::size_t count = std::size_t{last} - first + 1;
    auto records = codec->Write(memory.View(first, count), first, state.bytesPerRecord);
    if (state.corruptRecord > 0 && state.corruptRecord <= records.size()) {
        codec->Corrupt(records[state.corruptRecord - 1]);
    }
    state.corruptRecord = 0;
    const bool binary = InfoOf(state.format).binaryData;
    std::string out = "\r\n";
    for (const std::string& record : records) {
        out += record;
        if (!binary) {
            out += "\r\n";
        }
    }
    Say(out);
    Close();
}

} // namespace t8::sim
