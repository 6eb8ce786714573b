#pragma once

#include "link/ComPortSettings.h"
#include "link/DeviceIdentity.h"

#include <cstdint>
#include <string>

namespace t8 {

// Which device the link opens and what the open device is known by: the device named for this
// run, else the record's path, else the port number's mapping; once a reconnect found the
// device under another node, its stable name for as long as the choice that led to it stands.
// Lives on the user-interface thread.
class DeviceChoice {
public:
    // A device named for this run only (the command line); never stored in the record.
    void SetOverride(std::string path) { portOverride = std::move(path); }
    [[nodiscard]] const std::string& Override() const { return portOverride; }
    // The device to open under the record's port settings `com`.
    [[nodiscard]] std::string Path(const ComPortSettings& com) const;
    // How the operator chose it: "COM3" for a port chosen by its number, else its path.
    [[nodiscard]] std::string Name(const ComPortSettings& com) const;

    // What the open device is known by; set by every successful open.
    [[nodiscard]] const DeviceIdentity& Identity() const { return identity; }
    // The folder of stable device names; tests give their own.
    void SetStableNameFolder(std::string folder) { stableNameFolder = std::move(folder); }
    // The device at `path` is open: it is known by all its names from now on.
    void Opened(const std::string& path);
    // `path` is one of the open device's names, and leads to another device now (a link left
    // behind to a reused node).
    [[nodiscard]] bool Stale(const std::string& path) const;
    // The device that failed to open at `path`: the one known, by all its names, when `path`
    // still leads to it; else whatever the path alone can say.
    [[nodiscard]] DeviceIdentity Awaited(const std::string& path) const;
    // A reconnect opened the device at `path`; returns the name the operator is told: the one
    // they know, unless the device is another node now.
    std::string Reconnected(const std::string& path, const ComPortSettings& com);

private:
    // What chose the device when a reconnect found it under another path.
    struct Selection {
        std::string override;
        std::string devicePath;
        std::uint8_t comPort = 0;
        friend bool operator==(const Selection&, const Selection&) = default;
    };
    [[nodiscard]] Selection Select(const ComPortSettings& com) const;
    [[nodiscard]] bool NamesOpenDevice(const std::string& path) const;

    std::string portOverride;
    std::string reconnectedPath; // the stable name a reconnect used, while Selection holds
    Selection reconnectedFor;
    DeviceIdentity identity;
    std::string stableNameFolder = kSerialByIdFolder;
};

} // namespace t8
