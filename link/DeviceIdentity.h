#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace t8 {

// Where the system keeps a stable name for each USB serial adapter, made from its maker,
// product and serial number; the kernel's own name (/dev/ttyUSB0) depends on the order of
// plugging in.
inline constexpr char kSerialByIdFolder[] = "/dev/serial/by-id";
// Beside it, names made from the USB socket an adapter is plugged into: stable for an adapter
// without a serial number as long as it stays in its socket.
inline constexpr char kByPathFolderName[] = "by-path";

// One symbolic link as it was: a link removed and made again is another link, even where the
// filesystem hands out the same inode number again (its birth time differs then; where the
// filesystem keeps none, its change time).
struct LinkStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t bornSeconds = 0;
    std::uint32_t bornNanoseconds = 0;
    std::string target;

    friend bool operator==(const LinkStamp&, const LinkStamp&) = default;
};

// What finds a device again after it was unplugged, taken when the port is opened: the path as
// the operator named it, the node it led to, and the by-id link to that node if there is one.
struct DeviceIdentity {
    std::string namedPath; // /dev/ttyUSB0, a by-id link, a simulator's pty link
    std::string node;      // what the named path resolved to at open (/dev/ttyUSB0, /dev/pts/4)
    std::string byIdLink;  // the by-id (or by-path) link to the node; empty when there is none
    // A pty is never the same device again once it closed: its number goes to the next program
    // that asks for one. It can come back only behind a link made anew.
    bool pty = false;
    std::vector<LinkStamp> links; // the links on the way to the node at open, from both names

    [[nodiscard]] bool Empty() const { return namedPath.empty(); }
    // The path to open when the device is back: the by-id link names this adapter and no
    // other, whatever node the kernel gives it now; without one, the path as named.
    [[nodiscard]] const std::string& ReopenPath() const {
        return byIdLink.empty() ? namedPath : byIdLink;
    }

    friend bool operator==(const DeviceIdentity&, const DeviceIdentity&) = default;
};

// Whether opening `path` now reaches the device `identity` knows, as far as the system can
// tell. A device on a pty is back only when a link on the way to it is not one of those seen at
// open (a stale link to a reused pty number leads to another program's terminal); never when
// the pty was named directly. Any other device is back when `path` resolves.
[[nodiscard]] bool SameDeviceAt(const DeviceIdentity& identity, const std::string& path);

// Whether the device can ever be found again after a hang-up (a pty named directly cannot).
[[nodiscard]] bool CanComeBack(const DeviceIdentity& identity);

// The links from `path` to its node, one stamp each, in the order they are followed.
[[nodiscard]] std::vector<LinkStamp> LinkChain(const std::string& path);

// The character device at `node` is a pty's terminal side.
[[nodiscard]] bool IsPtyNode(const std::string& node);

// The node behind `path`, every link followed; `path` itself when it cannot be resolved.
[[nodiscard]] std::string ResolveNode(const std::string& path);

// The identity of the device at `path`, which has just been opened. `byIdFolder` is the folder
// of stable names (tests give their own); its sibling by-path folder is the second choice.
[[nodiscard]] DeviceIdentity IdentifyDevice(const std::string& path,
                                            const std::string& byIdFolder = kSerialByIdFolder);

// The device was opened again at `path`, one of its names: its node, and the links to it as
// they are now (so a link left behind after the next hang-up is known as stale).
void RenewIdentity(DeviceIdentity& identity, const std::string& path);

// Where the kernel describes each terminal device, and the USB device behind an adapter.
inline constexpr char kSysClassTty[] = "/sys/class/tty";

// The serial number the USB device behind `node` (/dev/ttyUSB0) reports, as the kernel shows it;
// empty for a device that is not on USB or has none (a pty, an on-board UART).
[[nodiscard]] std::string UsbSerialNumber(const std::string& node,
                                          const std::string& sysClassTty = kSysClassTty);

} // namespace t8
