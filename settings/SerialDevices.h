#pragma once

#include "settings/PortList.h"

#include <string>
#include <vector>

namespace t8 {

// The serial devices of this system with what it knows of them (for a USB adapter: product,
// maker, serial number), and the stable links /dev/serial/by-id and by-path to them.
[[nodiscard]] std::vector<SerialDeviceInfo> ListSerialDevices();

// The port page's scanner on this system: devices opened through the port layer, so one held
// by another program is not listed.
[[nodiscard]] PortScanner SystemPortScanner();

} // namespace t8
