#pragma once

#include "link/LineSettings.h"

namespace t8 {

// The kernel's termios2 (needed for rates such as 14400 and 28800) clashes with <termios.h>,
// so it stays inside LineSpeed.cpp; callers keep a saved copy in this opaque block.
struct SavedLine {
    alignas(8) unsigned char raw[64] = {};
};

// The control and input flags a setting asks of the driver, before the driver has its say
// (a pty, for one, keeps 8 data bits and no parity whatever it is asked).
struct FrameFlags {
    std::uint32_t cflag = 0;
    std::uint32_t iflag = 0;
};
[[nodiscard]] FrameFlags ComposeFrame(const LineSettings& settings);

[[nodiscard]] bool SaveLineSettings(int fd, SavedLine& saved);
void RestoreLineSettings(int fd, const SavedLine& saved);
// Raw mode with the given frame, rate and flow control; 0 on success, else the errno.
[[nodiscard]] int ApplyLineSettings(int fd, const LineSettings& settings);
// What the tty holds now (any tty fd; on a pty master it reads the slave's settings).
[[nodiscard]] bool ReadLineSettings(int fd, LineSettings& settings);

} // namespace t8
