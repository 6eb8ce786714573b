#pragma once

#include <string>
#include <vector>

namespace t8 {

// A port of a gang: its address as the run opens it, and its short name.
struct GangPort {
    std::string address;
    std::string name;
};

// The ports of a gang, or why there is none.
struct GangPorts {
    std::vector<GangPort> ports;
    std::string error;
};

// The --port values in order, a pattern (a device path with *, ? or [) replaced by the paths it
// matches, sorted; a path that exists is never taken for a pattern. Refused: a pattern that
// matches nothing, and a device named twice (links followed, so /dev/ttyUSB0 and its
// /dev/serial/by-id link are one). Short names that would clash get "-2", "-3"...
[[nodiscard]] GangPorts ExpandPorts(const std::vector<std::string>& given);

// A device path with *, ? or [ that names no file.
[[nodiscard]] bool IsPortPattern(const std::string& port);

// The name a port's files and lines carry: a device path's last part ("ttyUSB0"), an address's
// host and port ("tcp://line7:4001": "line7_4001"); anything but letters, digits, ".", "-" and
// "_" becomes "_".
[[nodiscard]] std::string ShortPortName(const std::string& address);

// `path` with ".NAME" before its extension: "out/burn.log" gives "out/burn.NAME.log", "image"
// gives "image.NAME". A device such as /dev/null stays as it is: every port may share it.
[[nodiscard]] std::string PortFileName(const std::string& path, const std::string& name);

} // namespace t8
