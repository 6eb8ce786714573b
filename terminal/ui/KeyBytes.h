#pragma once

#include <QString>

#include <string>

namespace t8 {

// The bytes a key press types to the device: Enter, Esc, Backspace and Tab their control
// character, any other key the low byte of each character of its text; empty for a key that
// types nothing (it is left to the window).
[[nodiscard]] std::string KeyBytes(int key, const QString& text);

} // namespace t8
