#include "link/DeviceChoice.h"

#include "link/PortMapping.h"

namespace t8 {

DeviceChoice::Selection DeviceChoice::Select(const ComPortSettings& com) const {
    return Selection{portOverride, com.devicePath, com.comPort};
}

std::string DeviceChoice::Path(const ComPortSettings& com) const {
    // a device that came back under another node is opened by its stable name from then on
    if (!reconnectedPath.empty() && reconnectedFor == Select(com)) {
        return reconnectedPath;
    }
    if (!portOverride.empty()) {
        return portOverride;
    }
    return com.devicePath.empty() ? DevicePathForPort(com.comPort) : com.devicePath;
}

std::string DeviceChoice::Name(const ComPortSettings& com) const {
    const bool numbered = portOverride.empty() && com.devicePath.empty();
    return numbered ? "COM" + std::to_string(com.comPort) : Path(com);
}

void DeviceChoice::Opened(const std::string& path) {
    identity = IdentifyDevice(path, stableNameFolder);
}

bool DeviceChoice::NamesOpenDevice(const std::string& path) const {
    return path == identity.namedPath || path == identity.ReopenPath();
}

bool DeviceChoice::Stale(const std::string& path) const {
    return NamesOpenDevice(path) && !SameDeviceAt(identity, path);
}

DeviceIdentity DeviceChoice::Awaited(const std::string& path) const {
    if (!identity.Empty() && NamesOpenDevice(path)) {
        return identity;
    }
    return IdentifyDevice(path, stableNameFolder);
}

std::string DeviceChoice::Reconnected(const std::string& path, const ComPortSettings& com) {
    const Selection selection = Select(com);
    reconnectedPath.clear();
    if (path != Path(com)) {
        reconnectedPath = path;
        reconnectedFor = selection;
    }
    RenewIdentity(identity, path);
    return identity.node == ResolveNode(identity.namedPath) ? identity.namedPath : identity.node;
}

} // namespace t8
