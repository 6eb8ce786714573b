#pragma once

#include "sim/device/HostLine.h"

#include <cstdint>
#include <optional>

namespace t8::sim {

// The line settings of a pty's slave, read through any of its descriptors: on Linux the
// master shows the slave's termios, custom rates (BOTHER) included.
[[nodiscard]] std::optional<HostLine> ReadLineSettings(int fd);

// Raw mode, 8N1, no flow control, at any rate the driver takes.
bool SetRawLine(int fd, std::uint32_t baudRate);

} // namespace t8::sim
