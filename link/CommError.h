#pragma once

#include <string>

namespace t8 {

// The code shown for a serial error during a read or write: the system's error number.
[[nodiscard]] unsigned CommErrorCode(int systemError);
// "<CE-%u>", the text written into the terminal for such an error.
[[nodiscard]] std::string FormatCommError(int systemError);
// True for the errors that mean the device has gone (cable pulled, pty closed).
[[nodiscard]] bool IsHangUpError(int systemError);

} // namespace t8
