#include "link/DeviceIdentity.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <vector>

namespace t8 {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinkHops = 40; // the kernel's own limit on links followed in a path
// The majors of the ptys' terminal sides (Unix 98 ptys: up to eight majors from 136).
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;

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

// The first link in `folder` that leads to `node`, by name; empty when there is none.
std::string StableLinkTo(const std::string& node, const fs::path& folder) {
    const auto links = LinksTo(node, folder.string());
    return links.empty() ? std::string() : links.front();
}

void Append(std::vector<LinkStamp>& to, const std::vector<LinkStamp>& more) {
    for (const LinkStamp& stamp : more) {
        if (std::find(to.begin(), to.end(), stamp) == to.end()) {
            to.push_back(stamp);
        }
    }
}

} // namespace

std::vector<LinkStamp> LinkChain(const std::string& path) {
    std::vector<LinkStamp> chain;
    fs::path at(path);
    for (int hop = 0; hop < kMaxLinkHops && !at.empty(); ++hop) {
        struct statx info {};
        if (::statx(AT_FDCWD, at.c_str(), AT_SYMLINK_NOFOLLOW,
                    STATX_TYPE | STATX_INO | STATX_BTIME | STATX_CTIME, &info) != 0 ||
            !S_ISLNK(info.stx_mode)) {
            break;
        }
        std::error_code error;
        const fs::path target = fs::read_symlink(at, error);
        if (error) {
            break;
        }
        const statx_timestamp born =
            (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_ctime;
        chain.push_back({makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino, born.tv_sec,
                         born.tv_nsec, target.string()});
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return chain;
}

bool IsPtyNode(const std::string& node) {
    struct stat info {};
    if (::stat(node.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        return false;
    }
    const unsigned deviceMajor = major(info.st_rdev);
    return deviceMajor >= kFirstPtyMajor && deviceMajor <= kLastPtyMajor;
}

bool CanComeBack(const DeviceIdentity& identity) {
    return !identity.Empty() && (!identity.pty || !identity.links.empty());
}

bool SameDeviceAt(const DeviceIdentity& identity, const std::string& path) {
    if (!identity.pty) {
        return true; // the node's name (or the stable name) is the device: the open decides
    }
    const std::vector<LinkStamp> chain = LinkChain(path);
    return std::any_of(chain.begin(), chain.end(), [&](const LinkStamp& stamp) {
        return std::find(identity.links.begin(), identity.links.end(), stamp) ==
               identity.links.end();
    });
}

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
    identity.pty = IsPtyNode(identity.node);
    identity.links = LinkChain(path);
    const fs::path named(path);
    fs::path byId = fs::path(byIdFolder).lexically_normal();
    if (!byId.has_filename()) {
        byId = byId.parent_path(); // written with a trailing '/'
    }
    const fs::path byPath = byId.parent_path() / kByPathFolderName;
    const fs::path namedFolder = named.parent_path().lexically_normal();
    if (namedFolder == byId || namedFolder == byPath) {
        identity.byIdLink = path; // named by its stable name already
        return identity;
    }
    identity.byIdLink = StableLinkTo(identity.node, byId);
    if (identity.byIdLink.empty()) {
        identity.byIdLink = StableLinkTo(identity.node, byPath);
    }
    Append(identity.links, LinkChain(identity.byIdLink));
    return identity;
}

void RenewIdentity(DeviceIdentity& identity, const std::string& path) {
    identity.node = ResolveNode(path);
    identity.pty = IsPtyNode(identity.node);
    identity.links = LinkChain(identity.namedPath);
    Append(identity.links, LinkChain(identity.byIdLink));
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
