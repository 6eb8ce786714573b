#pragma once

#include "link/LineSettings.h"

#include <string>

namespace t8 {

// Which frames a serial line can carry. A UART sends 5 to 8 data bits; one and a half stop
// bits exist only with 5 data bits, and with 5 data bits "two" stop bits are sent as one and a
// half, so that pair is refused too. The port refuses such a frame before asking the driver,
// and the port page says which setting to change.

// What is wrong with the frame, naming the page's setting ("Stop Bits: ..."); empty when the
// line can take it.
[[nodiscard]] std::string FrameProblem(const LineSettings& settings);

} // namespace t8
