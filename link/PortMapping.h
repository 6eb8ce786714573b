#pragma once

#include <string>

namespace t8 {

// Port numbers as the store keeps them, mapped to Linux devices: 1-8 USB serial adapters,
// 9-16 USB modem-class devices, 17-31 on-board UARTs.
inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 31;

// The device a port number names; empty for numbers outside the mapping.
[[nodiscard]] std::string DevicePathForPort(int comPort);
// The number that names a device path; 0 when the path is not one of the mapped devices.
[[nodiscard]] int PortForDevicePath(const std::string& path);

} // namespace t8
