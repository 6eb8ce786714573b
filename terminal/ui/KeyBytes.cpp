#include "terminal/ui/KeyBytes.h"

#include "terminal/KeyTyper.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace t8 {

namespace {

// Keys that type a control character rather than their text.
constexpr std::array<std::pair<int, std::uint8_t>, 5> kControlKeys{{
    {Qt::Key_Return, KeyTyper::kEnter},
    {Qt::Key_Enter, KeyTyper::kEnter},
    {Qt::Key_Escape, KeyTyper::kEscape},
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
}};

} // namespace

std::string KeyBytes(int key, const QString& text) {
    const auto control = std::find_if(kControlKeys.begin(), kControlKeys.end(),
                                      [key](const auto& entry) { return entry.first == key; });
    if (control != kControlKeys.end()) {
        return std::string(1, static_cast<char>(control->second));
    }
    std::string bytes;
    for (const QChar c : text) {
        bytes += static_cast<char>(c.unicode() & 0xFF);
    }
    return bytes;
}

} // namespace t8
