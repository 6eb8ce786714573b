#pragma once

#include <cstdint>
#include <string>

namespace t8 {

// Extended error codes of a file dialog, as the library download reports them. The Qt dialogs
// can fail in only two of these ways; the other codes keep their messages for completeness.
inline constexpr std::uint32_t kDialogErrorNone = 0;
inline constexpr std::uint32_t kDialogErrorInvalidFileName = 0x3002; // not a local file
inline constexpr std::uint32_t kDialogErrorBufferTooSmall = 0x3003;  // longer than a path may be

// The message for a code: its text from the table, "Error code:<decimal>" for an unknown code,
// and nothing for 0.
[[nodiscard]] std::string FileDialogErrorText(std::uint32_t code);

} // namespace t8
