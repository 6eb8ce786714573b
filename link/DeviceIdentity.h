#pragma once

#include <string>

namespace t8 {

// Where the system keeps a stable name for each USB serial adapter, made from its maker,
// product and serial number; the kernel's own name (/dev/ttyUSB0) depends on the order of
// plugging in.
inline constexpr char kSerialByIdFolder[] = "/dev/serial/by-id";

// What finds a device again after it was unplugged, taken when the port is opened: the path as
// the operator named it, the node it led to, and the by-id link to that node if there is one.
struct DeviceIdentity {
    std::string namedPath; // /dev/ttyUSB0, a by-id link, a simulator's pty link
    std::string node;      // what the named path resolved to at open (/dev/ttyUSB0, /dev/pts/4)
    std::string byIdLink;  // the by-id link to the same node; empty when there is none

    [[nodiscard]] bool Empty() const { return namedPath.empty(); }
    // The path to open when the device is back: the by-id link names this adapter and no
    // other, whatever node the kernel gives it now; without one, the path as named.
    [[nodiscard]] const std::string& ReopenPath() const {
        return byIdLink.empty() ? namedPath : byIdLink;
    }

    friend bool operator==(const DeviceIdentity&, const DeviceIdentity&) = default;
};

// The node behind `path`, every link followed; `path` itself when it cannot be resolved.
[[nodiscard]] std::string ResolveNode(const std::string& path);

// The identity of the device at `path`, which has just been opened. `byIdFolder` is the folder
// of stable names (tests give their own).
[[nodiscard]] DeviceIdentity IdentifyDevice(const std::string& path,
                                            const std::string& byIdFolder = kSerialByIdFolder);

// Where the kernel describes each terminal device, and the USB device behind an adapter.
inline constexpr char kSysClassTty[] = "/sys/class/tty";

// The serial number the USB device behind `node` (/dev/ttyUSB0) reports, as the kernel shows it;
// empty for a device that is not on USB or has none (a pty, an on-board UART).
[[nodiscard]] std::string UsbSerialNumber(const std::string& node,
                                          const std::string& sysClassTty = kSysClassTty);

} // namespace t8
