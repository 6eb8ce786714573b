#include "settings/ComPortSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace t8 {
namespace {

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

struct TextCode {
    std::string_view text;
    std::uint8_t code;
};

constexpr std::array kParityCodes = {TextCode{"NONE", kParityNone}, TextCode{"EVEN", kParityEven},
                                     TextCode{"ODD", kParityOdd}, TextCode{"MARK", kParityMark},
                                     TextCode{"SPACE", kParitySpace}};
constexpr std::array kStopCodes = {TextCode{"1 bit", kStopOne},
                                   TextCode{"1 1/2 bit", kStopOneAndHalf},
                                   TextCode{"2 bits", kStopTwo}};
constexpr std::array kByteSizeCodes = {TextCode{"4 bits", 4}, TextCode{"5 bits", 5},
                                       TextCode{"6 bits", 6}, TextCode{"7 bits", 7}};

template <std::size_t N>
std::uint8_t CodeFor(const std::array<TextCode, N>& table, std::string_view text,
                     std::uint8_t fallback) {
    for (const TextCode& entry : table) {
        if (SameText(entry.text, text)) {
            return entry.code;
        }
    }
    return fallback;
}

template <std::size_t N>
int IndexOf(const std::array<std::string_view, N>& list, std::string_view text) {
    const auto* found = std::find(list.begin(), list.end(), text);
    return found == list.end() ? 0 : static_cast<int>(found - list.begin());
}

} // namespace

BaudList MakeBaudList(std::uint32_t baudRate) {
    BaudList list;
    for (const std::string_view entry : kBaudEntries) {
        list.entries.emplace_back(entry);
    }
    const auto valueOf = [](const std::string& entry) { return BaudFromText(entry, 0); };
    auto at = std::find_if(list.entries.begin(), list.entries.end(),
                           [&](const std::string& entry) { return valueOf(entry) >= baudRate; });
    if (at == list.entries.end() || valueOf(*at) != baudRate) {
        if (BaudFromText(std::to_string(baudRate), 0) == 0) {
            return list; // no rate at all (0 from the store): the first entry, as always
        }
        at = list.entries.insert(at, std::to_string(baudRate));
    }
    list.selected = static_cast<int>(at - list.entries.begin());
    return list;
}

int DataBitsIndex(std::uint8_t byteSize) {
    return byteSize >= 4 && byteSize <= 7 ? byteSize - 4 : IndexOf(kDataBitsEntries, "8 bits");
}

int ParityIndex(std::uint8_t parity) {
    for (const TextCode& entry : kParityCodes) {
        if (entry.code == parity) {
            return IndexOf(kParityEntries, entry.text);
        }
    }
    return IndexOf(kParityEntries, "NONE");
}

int StopBitsIndex(std::uint8_t stopBits) {
    return stopBits == kStopOneAndHalf || stopBits == kStopTwo ? stopBits : 0;
}

std::uint8_t ByteSizeFromText(std::string_view text) {
    return CodeFor(kByteSizeCodes, text, 8);
}

std::uint8_t ParityFromText(std::string_view text) {
    return CodeFor(kParityCodes, text, kParityNone);
}

std::uint8_t StopBitsFromText(std::string_view text) {
    return CodeFor(kStopCodes, text, kStopOne);
}

std::uint32_t BaudFromText(std::string_view text, std::uint32_t current) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < kMinTypedBaud ||
        value > kMaxTypedBaud) {
        return current;
    }
    return value;
}

std::uint8_t ApplyFlowBoxes(std::uint8_t flowCtrl, bool dtrDsr, bool rtsCts, bool xonXoff) {
    auto apply = [&flowCtrl](bool checked, std::uint8_t bit) {
        constexpr std::uint8_t kAllBoxes = kFlowDtrDsr | kFlowRtsCts | kFlowXonXoff;
        flowCtrl = checked ? static_cast<std::uint8_t>(flowCtrl | bit)
                           : static_cast<std::uint8_t>(flowCtrl & (kAllBoxes & ~bit));
    };
    apply(dtrDsr, kFlowDtrDsr);
    apply(rtsCts, kFlowRtsCts);
    apply(xonXoff, kFlowXonXoff);
    return flowCtrl;
}

} // namespace t8
