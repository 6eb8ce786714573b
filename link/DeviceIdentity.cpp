#include "link/DeviceIdentity.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace t8 {

namespace {

namespace fs = std::filesystem;

// The node behind a path, every link followed; empty when it cannot be resolved.
std::string NodeOf(const std::string& path) {
    std::error_code error;
    const fs::path node = fs::canonical(path, error);
    return error ? std::string() : node.string();
}

// The by-id links that lead to `node`, in name order so the choice does not depend on the
// order the folder lists them in.
std::vector<std::string> LinksTo(const std::string& node, const std::string& byIdFolder) {
    std::vector<std::string> links;
    std::error_code error;
    for (fs::directory_iterator entry(byIdFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->is_symlink(error) && NodeOf(entry->path().string()) == node) {
            links.push_back(entry->path().string());
        }
    }
    std::sort(links.begin(), links.end());
    return links;
}

} // namespace

std::string ResolveNode(const std::string& path) {
    const std::string node = NodeOf(path);
    return node.empty() ? path : node;
}

DeviceIdentity IdentifyDevice(const std::string& path, const std::string& byIdFolder) {
    DeviceIdentity identity;
    identity.namedPath = path;
    identity.node = NodeOf(path);
    if (identity.node.empty()) {
        identity.node = path;
        return identity;
    }
    const fs::path named(path);
    if (fs::path(byIdFolder).lexically_normal() == named.parent_path().lexically_normal()) {
        identity.byIdLink = path; // named by its stable name already
        return identity;
    }
    if (const auto links = LinksTo(identity.node, byIdFolder); !links.empty()) {
        identity.byIdLink = links.front();
    }
    return identity;
}

// The tty's device folder lies inside its USB interface, inside the USB device that carries the
// serial number (beside its idVendor); a few levels up at most.
std::string UsbSerialNumber(const std::string& node, const std::string& sysClassTty) {
    constexpr int kMaxLevels = 6;
    std::error_code error;
    fs::path folder =
        fs::canonical(fs::path(sysClassTty) / fs::path(node).filename() / "device", error);
    for (int level = 0; !error && level < kMaxLevels && folder.has_relative_path(); ++level) {
        if (fs::exists(folder / "idVendor", error) && fs::exists(folder / "serial", error)) {
            std::ifstream serial(folder / "serial");
            std::string number;
            std::getline(serial, number);
            return number;
        }
        folder = folder.parent_path();
    }
    return {};
}

} // namespace t8
