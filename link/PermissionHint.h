#pragma once

#include "link/LinkError.h"

#include <string>

namespace t8 {

// What decides whether this user may open a device: its owner and group, the group's access,
// and the user's membership now and at the next login.
struct DeviceAccess {
    std::string path;
    std::string user;   // the effective user's name, or its number
    std::string owner;  // the device's owner, name or number
    std::string group;  // the device's group, name or number
    bool known = false; // false when the device could not even be looked at (stat failed)
    bool groupMayReadWrite = false;
    bool inGroupNow = false;        // this process holds the group
    bool inGroupAfterLogin = false; // the group database lists the user in it
};

// The facts for `path` as this process sees them.
[[nodiscard]] DeviceAccess LookUpDeviceAccess(const std::string& path);

// The advice for an open refused for lack of permission; empty when there is nothing to add.
[[nodiscard]] std::string PermissionAdvice(const DeviceAccess& access);

// Advice for a failed open of `path`: empty unless it was refused for lack of permission.
[[nodiscard]] std::string PermissionHint(const std::string& path, const LinkError& openError);

} // namespace t8
